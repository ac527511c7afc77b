#include "GdiplusSession.h"

#include <gdiplus.h>

namespace corvina {

bool GdiplusSession::startup() {
    if (token_ != 0)
        return true;
    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    token_ = token;
    return true;
}

void GdiplusSession::shutdown() {
    if (token_ != 0) {
        Gdiplus::GdiplusShutdown(token_);
        token_ = 0;
    }
}

} // namespace corvina
