#include "BitmapFromImage.h"

#include "ComPtr.h"

#include <gdiplus.h>
#include <shlwapi.h>

namespace corvina {
namespace {

struct GpBitmapDeleter {
    void operator()(Gdiplus::GpBitmap* bitmap) const {
        if (bitmap)
            Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
};

} // namespace

UniqueBitmap bitmapFromImage(const std::vector<uint8_t>& imageFile) {
    if (imageFile.empty())
        return nullptr;
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
