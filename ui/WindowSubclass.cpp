#include "WindowSubclass.h"

#include "TextConvert.h"

#include <commctrl.h>

#include <algorithm>

namespace corvina {
namespace {
constexpr UINT_PTR kSubclassId = 0x56657861; // one subclass per object and window
} // namespace

RECT clampMoving(RECT r, int width, int height, const WindowSubclass::Bounds& b) {
    if (r.left < b.left) {
        r.left = b.left;
        r.right = b.left + width;
    }
    if (r.top < b.top) {
        r.top = b.top;
        r.bottom = b.top + height;
    }
    if (r.right > b.right) {
        r.left = b.right - width;
        r.right = b.right;
    }
    if (r.bottom > b.bottom) {
        r.top = b.bottom - height;
        r.bottom = b.bottom;
    }
    return r;
}

LRESULT CALLBACK WindowSubclass::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self) {
    return reinterpret_cast<WindowSubclass*>(self)->windowProc(hwnd, message, wParam, lParam);
}

bool WindowSubclass::attach(HWND window, Handler handler) {
    detach();
    if (!window || !IsWindow(window))
        return false;
    if (!SetWindowSubclass(window, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    window_ = window;
    handler_ = std::move(handler);
    attached_ = true;
    lastLParam_ = -1;
    readGeometry();
    return true;
}

bool WindowSubclass::detach() {
    if (!attached_)
        return false;
    if (IsWindow(window_))
        RemoveWindowSubclass(window_, subclassProc, kSubclassId);
    clearFields();
    return true;
}

void WindowSubclass::clearFields() {
    attached_ = false;
    handler_ = nullptr;
    boundsOn_ = limitsOn_ = false;
    window_ = nullptr;
    width_ = height_ = clientWidth_ = clientHeight_ = left_ = top_ = -1;
    boundsLeft_ = boundsRight_ = boundsTop_ = boundsBottom_ = -1;
    savedRight_ = savedBottom_ = -1;
    minWidth_ = maxWidth_ = minHeight_ = maxHeight_ = -1;
}

void WindowSubclass::readGeometry() {
    RECT r{};
    GetWindowRect(window_, &r);
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    POINT at{r.left, r.top};
    ScreenToClient(GetAncestor(window_, GA_PARENT), &at);
    left_ = at.x;
    top_ = at.y;
    RECT c{};
    GetClientRect(window_, &c);
    clientWidth_ = c.right;
    clientHeight_ = c.bottom;
}

LRESULT WindowSubclass::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    lastLParam_ = lParam;
    switch (message) {
    case WM_MOVE:
    case WM_SIZE: {
        readGeometry();
        if (message == WM_SIZE && boundsOn_) {
            boundsRight_ = savedRight_ >= boundsLeft_ + width_ ? savedRight_ : boundsLeft_ + width_;
            boundsBottom_ = savedBottom_ >= boundsTop_ + height_ ? savedBottom_ : boundsTop_ + height_;
        }
        break;
    }
    case WM_GETMINMAXINFO:
        if (limitsOn_) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = POINT{minWidth_, minHeight_};
            info->ptMaxTrackSize = POINT{maxWidth_, maxHeight_};
        }
        break;
    case WM_MOUSEMOVE:
        trackMouseLeave();
        break;
    case WM_MOVING:
        if (boundsOn_ && lParam) {
            auto* r = reinterpret_cast<RECT*>(lParam);
            *r = clampMoving(*r, width_, height_, {boundsLeft_, boundsTop_, boundsRight_, boundsBottom_});
        }
        break;
    default:
        break;
    }
    if (handler_) {
        // A copy: the handler may detach (and so clear handler_) while it runs.
        Handler handler = handler_;
        return handler(hwnd, message, wParam, lParam);
    }
    return callPrevious(hwnd, message, wParam, lParam);
}

LRESULT WindowSubclass::callPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!attached_ || hwnd != window_)
        return 0;
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        detach();
    return result;
}

std::string WindowSubclass::wideTextAt(const wchar_t* text) { return text ? wideToGbk(text) : std::string(); }

bool WindowSubclass::trackMouseLeave() {
    if (!attached_)
        return false;
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window_, 0};
    return TrackMouseEvent(&track) != FALSE;
}

int WindowSubclass::lastX() const { return attached_ ? static_cast<short>(LOWORD(lastLParam_)) : 0; }
int WindowSubclass::lastY() const { return attached_ ? static_cast<short>(HIWORD(lastLParam_)) : 0; }

bool WindowSubclass::show(bool visible) {
    if (!attached_)
        return false;
    return ShowWindow(window_, visible ? SW_SHOWNORMAL : SW_HIDE) != FALSE;
}

bool WindowSubclass::isVisible() const { return attached_ && IsWindowVisible(window_); }

RECT WindowSubclass::beginPaint() {
    if (!attached_)
        return RECT{};
    BeginPaint(window_, &paintState_);
    return paintState_.rcPaint;
}

void WindowSubclass::endPaint() {
    if (attached_)
        EndPaint(window_, &paintState_);
}

void WindowSubclass::setCapture() {
    if (attached_ && GetCapture() != window_)
        SetCapture(window_);
}

void WindowSubclass::releaseCapture() {
    if (attached_ && GetCapture() == window_)
        ReleaseCapture();
}

bool WindowSubclass::hasCapture() const { return attached_ && GetCapture() == window_; }

bool WindowSubclass::setPosition(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                                 std::optional<int> height) {
    if (!attached_)
        return false;
    return SetWindowPos(window_, HWND_TOP, x.value_or(left_), y.value_or(top_), width.value_or(width_),
                        height.value_or(height_), 0) != FALSE;
}

HWND WindowSubclass::focusInForeground() const {
    HWND foreground = GetForegroundWindow();
    const DWORD self = GetCurrentThreadId();
    const DWORD other = foreground ? GetWindowThreadProcessId(foreground, nullptr) : self;
    const bool joined = other != self && AttachThreadInput(self, other, TRUE);
    HWND focus = GetFocus();
    if (joined)
        AttachThreadInput(self, other, FALSE);
    return focus ? focus : foreground;
}

bool WindowSubclass::activate() {
    if (!attached_)
        return false;
    if (focusInForeground() == window_)
        return true;
    if (!IsWindow(window_))
        return false;
    SetForegroundWindow(window_);
    SetFocus(window_);
    return true;
}

bool WindowSubclass::deactivate() {
    if (!attached_ || !IsWindow(window_))
        return false;
    HWND focus = focusInForeground();
    const bool isChild = (GetWindowLongPtrW(window_, GWL_STYLE) & WS_CHILD) != 0;
    if (isChild && focus == window_) {
        SetFocus(nullptr);
        return true;
    }
    if (!isChild && focus && IsChild(window_, focus)) {
        SetForegroundWindow(GetDesktopWindow());
        SetFocus(GetDesktopWindow());
        return true;
    }
    return false;
}

void WindowSubclass::setDisabled(bool disabled) {
    if (attached_)
        EnableWindow(window_, !disabled);
}

bool WindowSubclass::isDisabled() const { return attached_ && !IsWindowEnabled(window_); }

bool WindowSubclass::setTopmost(bool topmost) {
    if (!attached_)
        return false;
    const BOOL ok = SetWindowPos(window_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                                 SWP_NOSIZE | SWP_NOMOVE);
    SetWindowRgn(window_, nullptr, TRUE);
    return ok != FALSE;
}

std::string WindowSubclass::getText() const {
    if (!attached_)
        return {};
    char text[1024] = {};
    GetWindowTextA(window_, text, sizeof text);
    return text;
}

std::string WindowSubclass::getTextWide() const {
    if (!attached_)
        return {};
    wchar_t text[1024] = {};
    GetWindowTextW(window_, text, 1024);
    return wideToGbk(text);
}

bool WindowSubclass::setText(const std::string& text) {
    return attached_ && SetWindowTextA(window_, text.c_str()) != FALSE;
}

bool WindowSubclass::setTextWide(const std::wstring& text) {
    return attached_ && SetWindowTextW(window_, text.c_str()) != FALSE;
}

std::string WindowSubclass::getClassName() const {
    if (!attached_)
        return {};
    char name[1024] = {};
    GetClassNameA(window_, name, sizeof name);
    return name;
}

std::string WindowSubclass::getClassNameWide() const {
    if (!attached_)
        return {};
    wchar_t name[1024] = {};
    GetClassNameW(window_, name, 1024);
    return wideToGbk(name);
}

bool WindowSubclass::setMoveBounds(int left, int top, int right, int bottom) {
    if (!attached_)
        return false;
    boundsLeft_ = left;
    boundsTop_ = top;
    boundsRight_ = std::max(right, left + width_);
    boundsBottom_ = std::max(bottom, top + height_);
    savedRight_ = right;
    savedBottom_ = bottom;
    boundsOn_ = true;
    return true;
}

bool WindowSubclass::clearMoveBounds() {
    if (!attached_)
        return false;
    boundsOn_ = false;
    return true;
}

bool WindowSubclass::setTrackLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) {
    if (!attached_)
        return false;
    minWidth_ = minWidth;
    minHeight_ = minHeight;
    maxWidth_ = std::max(maxWidth, minWidth);
    maxHeight_ = std::max(maxHeight, minHeight);
    limitsOn_ = true;
    return true;
}

bool WindowSubclass::clearTrackLimits() {
    if (!attached_)
        return false;
    limitsOn_ = false;
    return true;
}

std::optional<WindowSubclass::Bounds> WindowSubclass::moveBounds() const {
    if (!boundsOn_)
        return std::nullopt;
    return Bounds{boundsLeft_, boundsTop_, boundsRight_, boundsBottom_};
}

std::optional<WindowSubclass::Limits> WindowSubclass::trackLimits() const {
    if (!limitsOn_)
        return std::nullopt;
    return Limits{minWidth_, minHeight_, maxWidth_, maxHeight_};
}

int WindowSubclass::forceRepaint() {
    if (!attached_)
        return 0;
    setPosition(left_, top_, std::nullopt, std::nullopt);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window_, WM_ERASEBKGND, 0, 0, SMTO_NORMAL, 0, &result);
    SendMessageTimeoutW(window_, WM_PAINT, 0, 0, SMTO_NORMAL, 0, &result);
    return 1;
}

} // namespace corvina
