#include "EngineWindow.h"

#include "../include/APlayerCaller.h"
#include "TopDownBitmapInfo.h"

#include <algorithm>
#include <memory>

namespace engine {
namespace {

constexpr UINT kMsgBuffering = WM_APP + 1;
constexpr UINT kMsgMissingDecoder = WM_APP + 2;
constexpr wchar_t kClassName[] = L"CorvinaEngineVideo";

HINSTANCE moduleInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleInstance), &module);
    return module;
}

bool registerClassOnce(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    HINSTANCE instance = moduleInstance();
    if (GetClassInfoExW(instance, kClassName, &wc))
        return true;
    wc.style = CS_DBLCLKS; // the caller relies on double-click messages
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr; // painted whole in WM_PAINT
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void blit(HDC dc, const Picture& picture, int x, int y, int width, int height) {
    const BITMAPINFO info = topDownBitmapInfo(picture.width, picture.height);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, width, height, 0, 0, picture.width, picture.height, picture.pixels.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

} // namespace

EngineWindow::~EngineWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        if (GetWindowThreadProcessId(hwnd_, nullptr) == GetCurrentThreadId())
            DestroyWindow(hwnd_);
        else
            PostMessageW(hwnd_, WM_CLOSE, 0, 0); // the default handler destroys it on its own thread
    }
}

bool EngineWindow::create(HWND parent, int x, int y, int width, int height, const Callbacks& callbacks) {
    if (!registerClassOnce(&EngineWindow::windowProc))
        return false;
    callbacks_ = callbacks;
    CreateWindowExW(0, kClassName, L"", (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE | WS_CLIPSIBLINGS, x, y,
                    std::max(width, 0), std::max(height, 0), parent, nullptr, moduleInstance(), this);
    return hwnd_ != nullptr;
}

bool EngineWindow::setLogo(HBITMAP logo) {
    BITMAP bm{};
    if (!logo || GetObjectW(logo, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight == 0)
        return false;
    Picture copy;
    copy.width = bm.bmWidth;
    copy.height = std::abs(bm.bmHeight);
    copy.pixels.resize(static_cast<size_t>(copy.width) * copy.height);
    BITMAPINFO info = topDownBitmapInfo(copy.width, copy.height);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, logo, 0, copy.height, copy.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != copy.height)
        return false;
    {
        std::lock_guard lock(mutex_);
        logo_ = std::move(copy);
    }
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
}

void EngineWindow::present(Picture& picture) {
    {
        std::lock_guard lock(mutex_);
        std::swap(picture_, picture);
        showingPicture_ = !picture_.empty();
    }
    if (!hwnd_)
        return;
    // Drawing straight into the window's DC keeps the presentation thread off
    // the caller's message queue; WM_PAINT repaints the same picture later.
    HDC dc = GetDC(hwnd_);
    if (dc) {
        paint(dc);
        ReleaseDC(hwnd_, dc);
    }
}

void EngineWindow::showLogo() {
    {
        std::lock_guard lock(mutex_);
        showingPicture_ = false;
        picture_ = Picture{};
    }
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, FALSE);
}

void EngineWindow::postBuffering(int percent) {
    if (hwnd_)
        PostMessageW(hwnd_, kMsgBuffering, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
}

void EngineWindow::postMissingDecoder(const std::string& name) {
    if (!hwnd_)
        return;
    auto text = std::make_unique<std::string>(name);
    if (PostMessageW(hwnd_, kMsgMissingDecoder, 0, reinterpret_cast<LPARAM>(text.get())))
        text.release(); // the window procedure takes it back
}

void EngineWindow::paint(HDC dc) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int cw = client.right, ch = client.bottom;
    std::lock_guard lock(mutex_);
    const Picture& shown = showingPicture_ ? picture_ : logo_;
    int x = 0, y = 0, w = 0, h = 0;
    if (!shown.empty() && cw > 0 && ch > 0) {
        if (showingPicture_) {
            // Letterbox: the largest rectangle of the picture's aspect that fits.
            if (static_cast<long long>(cw) * shown.height <= static_cast<long long>(ch) * shown.width) {
                w = cw;
                h = static_cast<int>(static_cast<long long>(cw) * shown.height / shown.width);
            } else {
                h = ch;
                w = static_cast<int>(static_cast<long long>(ch) * shown.width / shown.height);
            }
        } else {
            w = shown.width; // the logo is shown at its own size
            h = shown.height;
        }
        x = (cw - w) / 2;
        y = (ch - h) / 2;
    }
    // Black around the picture, without painting under it (no flicker).
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT bands[4] = {{0, 0, cw, y}, {0, y + h, cw, ch}, {0, y, x, y + h}, {x + w, y, cw, y + h}};
    if (w == 0 || h == 0) {
        FillRect(dc, &client, black);
        return;
    }
    for (const RECT& r : bands)
        if (r.right > r.left && r.bottom > r.top)
            FillRect(dc, &r, black);
    blit(dc, shown, x, y, w, h);
}

LRESULT CALLBACK EngineWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<EngineWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<EngineWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == kMsgMissingDecoder) {
        std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
        if (self && self->callbacks_.missingDecoder)
            reinterpret_cast<APlayerMissingDecoderCallback>(self->callbacks_.missingDecoder)(text->c_str());
        return 0;
    }
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT EngineWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_SIZE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd_); // so that keys reach the caller while the picture has been clicked
        [[fallthrough]];
    case WM_KEYDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        if (callbacks_.message)
            reinterpret_cast<APlayerMessageCallback>(callbacks_.message)(message, wParam, lParam);
        return 0;
    case kMsgBuffering:
        if (callbacks_.buffering)
            reinterpret_cast<APlayerBufferingCallback>(callbacks_.buffering)(static_cast<int>(wParam));
        return 0;
    case WM_NCDESTROY: {
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

} // namespace engine
