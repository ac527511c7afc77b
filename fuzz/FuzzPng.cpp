// The program's own PNG decoder on arbitrary (and cut) files: a picture it
// accepts has the size it claims, and every pixel is opaque. Every other input
// has its chunks' checksums made right first, so that mutations reach the
// header checks, the inflating and the row filters instead of all failing
// the checksum.
#include "PngDecoder.h"

#include <zlib.h>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    if (size > 0 && (data[0] & 1)) {
        for (size_t at = 8; at + 12 <= file.size();) {
            const uint32_t length =
                static_cast<uint32_t>(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
            if (length > file.size() - at - 12)
                break;
            const uint32_t crc = static_cast<uint32_t>(crc32(0, file.data() + at + 4, length + 4));
            for (int i = 0; i < 4; ++i)
                file[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
            at += 12 + length;
        }
    }
    corvina::DecodedImage image;
    if (!corvina::decodePng(file.data(), file.size(), image)) {
        if (image.width != 0 || image.height != 0 || !image.pixels.empty())
            std::abort();
        return 0;
    }
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        std::abort();
    for (uint32_t p : image.pixels)
        if ((p >> 24) != 0xFF)
            std::abort();
    return 0;
}
