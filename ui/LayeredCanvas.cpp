#include "LayeredCanvas.h"

#include "BitmapObject.h"
#include "DrawStatus.h"
#include "MemoryStream.h"

#include <algorithm>

namespace corvina {
namespace {

constexpr int kGenericError = 1; // GDI+ GenericError, for GDI failures

HBITMAP createDib(int width, int height, uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* data = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &data, nullptr, 0);
    *bits = bitmap ? static_cast<uint32_t*>(data) : nullptr;
    return bitmap;
}

} // namespace

bool LayeredCanvas::makeSurface(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    // A zero-sized DIB section cannot be made; a 1x1 one stands in, unshown.
    bitmap_ = createDib(std::max(width_, 1), std::max(height_, 1), &bits_);
    if (bitmap_)
        previousBitmap_ = SelectObject(memoryDc_, bitmap_);
    SetBkMode(memoryDc_, TRANSPARENT);
    return createFromDc(memoryDc_);
}

void LayeredCanvas::dropSurface() {
    if (previousBitmap_)
        SelectObject(memoryDc_, previousBitmap_);
    previousBitmap_ = nullptr;
    if (bitmap_)
        DeleteObject(bitmap_);
    bitmap_ = nullptr;
    bits_ = nullptr;
}

bool LayeredCanvas::bind(HWND window) {
    if (!window || GetAncestor(window, GA_ROOT) != window)
        return false;
    release();
    window_ = window;
    savedExStyle_ = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE, savedExStyle_ | WS_EX_LAYERED);
    alpha_ = 255;
    RECT r{};
    GetWindowRect(window, &r);
    memoryDc_ = CreateCompatibleDC(nullptr);
    const bool ok = makeSurface(r.right - r.left, r.bottom - r.top);
    presentAtWindow();
    return ok;
}

bool LayeredCanvas::release() {
    if (!memoryDc_ && !native())
        return false;
    const bool ok = reset();
    dropSurface();
    if (memoryDc_)
        DeleteDC(memoryDc_);
    memoryDc_ = nullptr;
    width_ = height_ = 0;
    if (window_)
        SetWindowLongPtrW(window_, GWL_EXSTYLE, savedExStyle_);
    window_ = nullptr;
    savedExStyle_ = 0;
    alpha_ = 0;
    return ok;
}

bool LayeredCanvas::resize(int width, int height) {
    if (!memoryDc_)
        return false;
    reset();
    dropSurface();
    return makeSurface(width, height);
}

bool LayeredCanvas::presentAtWindow() {
    if (!window_)
        return false;
    RECT r{};
    GetWindowRect(window_, &r);
    POINT at{r.left, r.top};
    ScreenToClient(GetAncestor(window_, GA_PARENT), &at);
    return updateLayered(window_, at.x, at.y, width_, height_, memoryDc_, alpha_);
}

bool LayeredCanvas::updateLayered(HWND window, int x, int y, int width, int height, HDC source, int alpha) {
    POINT destination{x, y};
    SIZE size{width, height};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)), AC_SRC_ALPHA};
    // Taking the graphics' DC flushes what GDI+ has still to draw.
    HDC dc = nullptr;
    const bool haveDc = native() && Gdiplus::DllExports::GdipGetDC(native(), &dc) == Gdiplus::Ok;
    const BOOL ok = UpdateLayeredWindow(window, haveDc ? dc : nullptr, &destination, &size, source, &origin,
                                        0, &blend, ULW_ALPHA);
    if (haveDc)
        Gdiplus::DllExports::GdipReleaseDC(native(), dc);
    if (!ok)
        lastDrawStatus = kGenericError;
    return ok != FALSE;
}

bool LayeredCanvas::clearRect(int x, int y, int width, int height) {
    if (!native() || width <= 0 || height <= 0)
        return false;
    // An all-zero layer blended with constant alpha 255 and no per-pixel alpha
    // replaces the area with transparent black.
    HDC layerDc = CreateCompatibleDC(memoryDc_);
    uint32_t* bits = nullptr;
    HBITMAP layer = createDib(width, height, &bits);
    bool ok = false;
    if (layerDc && layer) {
        HGDIOBJ previous = SelectObject(layerDc, layer);
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
        ok = AlphaBlend(memoryDc_, x, y, width, height, layerDc, 0, 0, width, height, blend) != FALSE;
        SelectObject(layerDc, previous);
    }
    if (layer)
        DeleteObject(layer);
    if (layerDc)
        DeleteDC(layerDc);
    if (!ok)
        lastDrawStatus = kGenericError;
    return ok;
}

bool LayeredCanvas::setAlpha(int alpha) {
    if (!window_)
        return false;
    alpha_ = std::clamp(alpha, 0, 255);
    return true;
}

std::vector<uint8_t> LayeredCanvas::snapshot(const std::string& format) const {
    if (!native() || !bitmap_)
        return {};
    Gdiplus::DllExports::GdipFlush(native(), Gdiplus::FlushIntentionSync);
    GdiFlush();
    // Over the DIB section's own pixels, so the alpha channel is kept (a bitmap
    // made from the HBITMAP would drop it, and GDI+ wants no HBITMAP that is
    // selected into a DC).
    BitmapObject image;
    MemoryStream stream;
    uint32_t* top = bits_ + static_cast<size_t>(std::max(height_, 1) - 1) * std::max(width_, 1);
    if (!image.fromPixels(std::max(width_, 1), std::max(height_, 1), -4 * std::max(width_, 1), top) ||
        !stream.create({}) || !image.saveToStream(stream.stream(), format))
        return {};
    return stream.toBytes();
}

} // namespace corvina
