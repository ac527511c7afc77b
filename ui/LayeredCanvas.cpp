#include "LayeredCanvas.h"

#include "DrawStatus.h"

#include <algorithm>

namespace corvina {
namespace {
constexpr int kGenericError = 1; // GDI+ GenericError, for GDI failures
} // namespace

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
    const bool ok = createSurface(r.right - r.left, r.bottom - r.top);
    presentAtWindow();
    return ok;
}

bool LayeredCanvas::release() {
    if (!hasSurface() && !native() && !window_)
        return false;
    const bool ok = reset();
    releaseSurface();
    if (window_)
        SetWindowLongPtrW(window_, GWL_EXSTYLE, savedExStyle_);
    window_ = nullptr;
    savedExStyle_ = 0;
    alpha_ = 0;
    return ok;
}

bool LayeredCanvas::resize(int width, int height) {
    if (!hasSurface())
        return false;
    return createSurface(width, height);
}

bool LayeredCanvas::presentAtWindow() {
    if (!window_ || !hasSurface())
        return false;
    RECT r{};
    GetWindowRect(window_, &r);
    POINT at{r.left, r.top};
    ScreenToClient(GetAncestor(window_, GA_PARENT), &at);
    return updateLayered(window_, at.x, at.y, width(), height(), memoryDc(), alpha_);
}

bool LayeredCanvas::presentArea(int x, int y, int w, int h) {
    if (!window_ || !hasSurface())
        return false;
    RECT dirty{std::max(x, 0), std::max(y, 0), std::min(x + w, width()), std::min(y + h, height())};
    if (dirty.right <= dirty.left || dirty.bottom <= dirty.top)
        return true;
    RECT r{};
    GetWindowRect(window_, &r);
    if (r.right - r.left != width() || r.bottom - r.top != height())
        return presentAtWindow(); // a size change needs the whole picture
    sync();
    SIZE size{width(), height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha_), AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO info{};
    info.cbSize = sizeof info;
    info.psize = &size;
    info.hdcSrc = memoryDc();
    info.pptSrc = &origin;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    info.prcDirty = &dirty;
    if (UpdateLayeredWindowIndirect(window_, &info))
        return true;
    return presentAtWindow();
}

bool LayeredCanvas::updateLayered(HWND window, int x, int y, int width, int height, HDC source, int alpha) {
    POINT destination{x, y};
    SIZE size{width, height};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)), AC_SRC_ALPHA};
    sync();
    const BOOL ok = UpdateLayeredWindow(window, nullptr, &destination, &size, source, &origin, 0, &blend, ULW_ALPHA);
    if (!ok)
        lastDrawStatus = kGenericError;
    return ok != FALSE;
}

bool LayeredCanvas::setAlpha(int alpha) {
    if (!window_)
        return false;
    alpha_ = std::clamp(alpha, 0, 255);
    return true;
}

} // namespace corvina
