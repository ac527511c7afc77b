#include "EngineImage.h"

#include <zlib.h>

namespace corvina {
namespace {

constexpr uint32_t kMaxLibrarySize = 256u * 1024 * 1024; // a declared size beyond this is not believed

uint32_t readLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void appendLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

std::optional<std::vector<uint8_t>> unpackEngineImage(const uint8_t* image, size_t size) {
    if (!image || size < 8 || readLe32(image) != kEngineImageMarker)
        return std::nullopt;
    const uint32_t declared = readLe32(image + 4);
    if (declared > kMaxLibrarySize)
        return std::nullopt;
    std::vector<uint8_t> out(declared);
    uLongf outSize = declared;
    // uncompress wants a non-null destination even for an empty library.
    uint8_t dummy = 0;
    int rc = uncompress(declared ? out.data() : &dummy, &outSize, image + 8, static_cast<uLong>(size - 8));
    if (rc != Z_OK || outSize != declared)
        return std::nullopt;
    return out;
}

std::vector<uint8_t> packEngineImage(const std::vector<uint8_t>& library) {
    uLongf bound = compressBound(static_cast<uLong>(library.size()));
    std::vector<uint8_t> out;
    appendLe32(out, kEngineImageMarker);
    appendLe32(out, static_cast<uint32_t>(library.size()));
    const size_t header = out.size();
    out.resize(header + bound);
    if (compress2(out.data() + header, &bound, library.data(), static_cast<uLong>(library.size()), 9) != Z_OK)
        return {};
    out.resize(header + bound);
    return out;
}

} // namespace corvina
