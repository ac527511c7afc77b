// Decoding an image file (PNG, JPEG, BMP...) held in memory into a GDI bitmap.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace corvina {

struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const {
        if (bitmap)
            DeleteObject(bitmap);
    }
};
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// Needs GDI+ started. Transparent pixels come out blended over black, which is
// what the picture behind an idle logo is. An empty handle on failure.
UniqueBitmap bitmapFromImage(const std::vector<uint8_t>& imageFile);

} // namespace corvina
