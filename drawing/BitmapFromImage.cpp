#include "BitmapFromImage.h"

#include "ComPtr.h"
#include "PngDecoder.h"
#include "TopDownBitmapInfo.h"

#include <gdiplus.h>
#include <shlwapi.h>

#include <cstring>

namespace corvina {
namespace {

struct GpBitmapDeleter {
    void operator()(Gdiplus::GpBitmap* bitmap) const {
        if (bitmap)
            Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
};

UniqueBitmap bitmapFromPixels(const DecodedImage& image) {
    const BITMAPINFO info = topDownBitmapInfo(image.width, image.height); // as decoded
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return nullptr;
    std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
    return bitmap;
}

} // namespace

UniqueBitmap bitmapFromImage(const std::vector<uint8_t>& imageFile) {
    if (imageFile.empty())
        return nullptr;
    // The program's own pictures are decoded here; the platform's decoder
    // takes every other kind of file.
    if (DecodedImage image; decodePng(imageFile.data(), imageFile.size(), image))
        return bitmapFromPixels(image);
    ComPtr<IStream> stream(SHCreateMemStream(imageFile.data(), static_cast<UINT>(imageFile.size())));
    if (!stream)
        return nullptr;
    Gdiplus::GpBitmap* raw = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.get(), &raw) != Gdiplus::Ok)
        return nullptr;
    std::unique_ptr<Gdiplus::GpBitmap, GpBitmapDeleter> bitmap(raw);
    HBITMAP hbitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap.get(), &hbitmap, 0xFF000000) != Gdiplus::Ok)
        return nullptr;
    return UniqueBitmap(hbitmap);
}

} // namespace corvina
