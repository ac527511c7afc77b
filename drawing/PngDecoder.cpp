#include "PngDecoder.h"

#include <zlib.h>

#include <cstring>

namespace corvina {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Larger pictures are not the program's own; they go to the platform.
constexpr uint32_t kMaxSide = 4096;

uint32_t bigEndian(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes the per-row filters in place; `rows` holds each row's filter byte
// followed by its `rowBytes` bytes.
bool unfilter(std::vector<uint8_t>& rows, size_t height, size_t rowBytes, size_t pixelBytes) {
    const uint8_t* previous = nullptr;
    for (size_t y = 0; y < height; ++y) {
        uint8_t* row = rows.data() + y * (rowBytes + 1);
        const uint8_t filter = row[0];
        uint8_t* line = row + 1;
        for (size_t i = 0; i < rowBytes; ++i) {
            const int left = i >= pixelBytes ? line[i - pixelBytes] : 0;
            const int up = previous ? previous[i] : 0;
            const int upLeft = previous && i >= pixelBytes ? previous[i - pixelBytes] : 0;
            switch (filter) {
            case 0:
                break;
            case 1:
                line[i] = static_cast<uint8_t>(line[i] + left);
                break;
            case 2:
                line[i] = static_cast<uint8_t>(line[i] + up);
                break;
            case 3:
                line[i] = static_cast<uint8_t>(line[i] + (left + up) / 2);
                break;
            case 4:
                line[i] = static_cast<uint8_t>(line[i] + paeth(left, up, upLeft));
                break;
            default:
                return false;
            }
        }
        previous = line;
    }
    return true;
}

} // namespace

bool decodePng(const uint8_t* data, size_t size, DecodedImage& out, PngAlpha mode) {
    out = {};
    if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return false;
    uint32_t width = 0, height = 0;
    int colourType = -1;
    std::vector<uint8_t> compressed;
    bool ended = false;
    for (size_t at = sizeof kSignature; !ended;) {
        if (size - at < 12)
            return false;
        const uint32_t length = bigEndian(data + at);
        if (length > size - at - 12)
            return false;
        const uint8_t* type = data + at + 4;
        const uint8_t* body = type + 4;
        if (bigEndian(body + length) !=
            static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), type, static_cast<uInt>(length) + 4)))
            return false;
        const bool first = at == sizeof kSignature;
        if (first != (std::memcmp(type, "IHDR", 4) == 0))
            return false; // the header comes first, and only there
        if (first) {
            if (length != 13)
                return false;
            width = bigEndian(body);
            height = bigEndian(body + 4);
            const uint8_t depth = body[8];
            colourType = body[9];
            // Compression and filter method 0, no interlacing.
            if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || depth != 8 ||
                (colourType != 2 && colourType != 6) || body[10] != 0 || body[11] != 0 || body[12] != 0)
                return false;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), body, body + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        } else if (!(type[0] & 0x20)) {
            return false; // a critical chunk this decoder does not know (a palette, ...)
        }
        at += 12 + static_cast<size_t>(length);
    }
    const size_t pixelBytes = colourType == 6 ? 4 : 3;
    const size_t rowBytes = width * pixelBytes;
    std::vector<uint8_t> rows(height * (rowBytes + 1));
    uLongf produced = static_cast<uLongf>(rows.size());
    if (compressed.empty() ||
        uncompress(rows.data(), &produced, compressed.data(), static_cast<uLong>(compressed.size())) !=
            Z_OK ||
        produced != rows.size() || !unfilter(rows, height, rowBytes, pixelBytes))
        return false;

    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* p = rows.data() + y * (rowBytes + 1) + 1;
        uint32_t* target = out.pixels.data() + y * width;
        for (size_t x = 0; x < width; ++x, p += pixelBytes) {
            const uint32_t alpha = pixelBytes == 4 ? p[3] : 255;
            if (mode == PngAlpha::Straight) {
                target[x] =
                    alpha << 24 | static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
                continue;
            }
            auto over = [alpha](uint32_t c) { return (c * alpha + 127) / 255; };
            target[x] = 0xFF000000u | over(p[0]) << 16 | over(p[1]) << 8 | over(p[2]);
        }
    }
    return true;
}

} // namespace corvina
