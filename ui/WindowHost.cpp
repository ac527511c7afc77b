#include "WindowHost.h"

#include "DrawStatus.h"
#include "SystemButtonSheets.h"
#include "UiEngine.h"

#include <algorithm>
#include <cmath>

namespace corvina {
namespace {

constexpr int kDefaultMaximum = 99999;

Gdiplus::ARGB argbOf(COLORREF colour, int alpha) {
    return static_cast<Gdiplus::ARGB>(std::clamp(alpha, 0, 255)) << 24 | GetRValue(colour) << 16 |
           GetGValue(colour) << 8 | GetBValue(colour);
}

COLORREF colourRefOf(Gdiplus::ARGB argb) { return RGB(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF); }

UINT buttonUpFor(UINT down) {
    switch (down) {
    case WM_RBUTTONDOWN:
        return WM_RBUTTONUP;
    case WM_MBUTTONDOWN:
        return WM_MBUTTONUP;
    case WM_XBUTTONDOWN:
        return WM_XBUTTONUP;
    default:
        return WM_LBUTTONUP;
    }
}

std::vector<uint8_t> sheetBytes(int skin) {
    const std::span<const unsigned char> sheet = systemButtonSheet(skin);
    return {sheet.begin(), sheet.end()};
}

} // namespace

int frameZone(int x, int y, int width, int height, int inset) {
    const int px = x - inset, py = y - inset;
    const int w = width - 2 * inset, h = height - 2 * inset;
    if (px < 0 || py < 0 || px > w || py > h)
        return 0;
    if (px <= 3 && py <= 3)
        return 1;
    if (px >= 3 && px <= w - 3 && py <= 3)
        return 2;
    if (px >= w - 3 && py <= 3)
        return 3;
    if (px >= w - 3 && py > 3 && py < h - 3)
        return 4;
    if (px >= w - 3 && py >= h - 3)
        return 5;
    if (px >= 3 && px <= w - 3 && py >= h - 3)
        return 6;
    if (px <= 3 && py >= h - 3)
        return 7;
    if (px <= 3 && py > 3 && py < h - 3)
        return 8;
    return 0;
}

WPARAM zoneSizeCommand(int zone) {
    static const WPARAM commands[9] = {0, 0xF004, 0xF003, 0xF005, 0xF002, 0xF008, 0xF006, 0xF007, 0xF001};
    return zone >= 1 && zone <= 8 ? commands[zone] : 0;
}

LPCTSTR zoneCursor(int zone) {
    switch (zone) {
    case 1:
    case 5:
        return IDC_SIZENWSE;
    case 2:
    case 6:
        return IDC_SIZENS;
    case 3:
    case 7:
        return IDC_SIZENESW;
    case 4:
    case 8:
        return IDC_SIZEWE;
    default:
        return IDC_ARROW;
    }
}

WindowHost::WindowHost()
    : endpoint_([this](UINT message, WPARAM wParam, LPARAM lParam) {
          return handleMessage(hwnd_, message, wParam, lParam);
      }) {}

WindowHost::~WindowHost() {
    if (hwnd_ && !destroyed_)
        onDestroy();
    // The buttons leave while this host's endpoint can still answer them.
    for (ImageButton& button : systemButtons_)
        button.destroy();
}

bool WindowHost::iconic() const { return hwnd_ && IsIconic(hwnd_); }

Layers WindowHost::layers() const {
    return {compositeLayer_.surfaceDc(), backgroundLayer_.surfaceDc(), compositeLayer_.surfaceWidth(),
            compositeLayer_.surfaceHeight()};
}

HDC WindowHost::outputDc() const { return layered_ ? canvas_.memoryDc() : windowDc_; }

Endpoint* WindowHost::attach(HWND window, const HostOptions& o) {
    if (!window || !IsWindow(window))
        return nullptr;
    // Attaching again replaces the earlier attachment; the children stay.
    if (hwnd_ && !destroyed_)
        letGoOfWindow();
    const bool direct = o.directMode.value_or(false);
    if (direct) {
        windowDc_ = GetDC(window);
    } else if (!canvas_.bind(window)) {
        return nullptr;
    }
    layered_ = !direct;
    buttonSkin_ = o.buttonSkin.value_or(0);
    interpolationMode_ = 2;
    hwnd_ = window;
    destroyed_ = false;
    if (!subclass_.attach(window, [this](HWND h, UINT m, WPARAM w, LPARAM l) { return handleMessage(h, m, w, l); })) {
        canvas_.release();
        hwnd_ = nullptr;
        return nullptr;
    }
    transparency_ = o.transparency.value_or(0);
    backgroundColour_ = argbOf(o.backgroundColour.value_or(GetSysColor(COLOR_BTNFACE)), 255 - transparency_);
    borderStyle_ = o.borderStyle.value_or(1);
    title_ = o.title.value_or(std::string());
    backgroundMode_ = o.backgroundMode.value_or(0);
    resizable_ = o.resizable.value_or(false);
    if (o.titleIcon)
        titleIcon_.fromBytes(*o.titleIcon);
    else if (uiEngine().windowIconInTitle)
        titleIcon_.fromIcon(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)));
    if (o.contentImage && !o.contentImage->empty())
        contentImage_.fromBytes(*o.contentImage);
    systemButtonMask_ = o.systemButtonMask.value_or(0);
    contentFit_ = o.contentFit.value_or(0);
    if (o.frameImage) {
        frameImage_.fromBytes(*o.frameImage);
        frameSurface_.releaseSurface();
    }
    if (o.frameMargins)
        frameMargins_ = *o.frameMargins;
    if (o.attachCallback)
        o.attachCallback(&endpoint_);
    createSystemButtons();
    if (o.drawNow.value_or(false))
        redraw(false);
    return &endpoint_;
}

Endpoint* WindowHost::createWindow(float x, float y, float width, float height, const HostOptions& options,
                                   const std::string& className, EndpointCallback createCallback) {
    const std::string cls = className.empty() ? std::string("Vexa") : className;
    HWND window = CreateWindowExA(0, cls.c_str(), options.title.value_or(std::string()).c_str(),
                                  WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, static_cast<int>(x),
                                  static_cast<int>(y), static_cast<int>(width), static_cast<int>(height), nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window)
        return nullptr;
    LONG_PTR style = WS_POPUP | (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE);
    if (options.resizable.value_or(false)) {
        style |= WS_THICKFRAME;
        SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_WINDOWEDGE);
    }
    SetWindowLongPtrA(window, GWL_STYLE, style);
    HostOptions withDraw = options;
    withDraw.drawNow = true;
    Endpoint* endpoint = attach(window, withDraw);
    // WM_CREATE came before the host could see it: the callback runs now.
    if (endpoint && createCallback)
        createCallback(endpoint);
    return endpoint;
}

LRESULT WindowHost::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (messageHook_ && message < UI_FIRST_ENGINE_MESSAGE) {
        MessageHook hook = messageHook_;
        if (hook(hwnd, message, wParam, lParam) != 0)
            return 0;
    }
    if (iconic() && message == WM_NCHITTEST)
        return HTCLIENT; // the default finds no part of a minimised pop-up to click
    if (iconic() && (message == WM_NCLBUTTONDOWN || message == WM_NCLBUTTONDBLCLK ||
                     message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK)) {
        // The minimised window, where no taskbar shows it: a click or a
        // double-click on it brings it back.
        ShowWindow(hwnd, SW_RESTORE);
        return 0;
    }
    if (isMouseMessage(message)) {
        if (iconic())
            return 0;
        if (captureChild_) {
            const LPARAM point = relativePointer(lParam, captureRect_.x, captureRect_.y);
            if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
                message == WM_XBUTTONDOWN)
                captureButtonDown_ = message;
            if (message >= WM_MOUSEMOVE && message != WM_MOUSEWHEEL)
                captureLastPoint_ = point;
            send(captureChild_, message, 0, point);
            return 0;
        }
        if (!dispatchMouse(hwnd, message, wParam, lParam) && !destroyed_) {
            if (resizable_) {
                if (message == WM_MOUSEMOVE)
                    frameMouse(lParam, false);
                else if (message == WM_LBUTTONDOWN)
                    frameMouse(lParam, true);
            } else if (message == WM_LBUTTONDOWN && dragByClient_) {
                if (maximised_)
                    systemButtonAction(2);
                handleMessage(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            } else if (message == WM_MOUSEMOVE) {
                SetCursor(LoadCursor(nullptr, IDC_ARROW));
            }
        }
        return 0;
    }
    if (isEngineMessage(message))
        return handleEngineMessage(message, wParam, lParam);
    switch (message) {
    case WM_SIZE:
        // A minimised window keeps its picture; it is redrawn when it comes back.
        if (wParam == SIZE_MINIMIZED || iconic())
            return 0;
        redraw(true); // takes the new size, the canvas's too
        return 0;
    case WM_DESTROY: {
        // The window's own procedure still hears of its end; then the host lets go.
        const LRESULT result = subclass_.callPrevious(hwnd, message, wParam, lParam);
        onDestroy();
        return result;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        children_.routeKey(message, wParam, lParam);
        return 0;
    case WM_MOUSELEAVE:
        children_.mouseLeft();
        return 0;
    case WM_CAPTURECHANGED:
        // A modal box or a switch of window took the mouse in mid-drag.
        if (captureChild_ && reinterpret_cast<HWND>(lParam) != hwnd_)
            releaseCapturedChild(true);
        break;
    case WM_WINDOWPOSCHANGING:
        // About to appear: the layer it was given while hidden goes now, so
        // that the first picture is the current one.
        if (presentWhenShown_ && layered_ && !destroyed_ &&
            (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)) {
            presentWhenShown_ = false;
            // The whole layer where the window is: a move in the same call
            // still takes it where it goes.
            canvas_.presentArea(0, 0, canvas_.width(), canvas_.height());
        }
        break;
    case WM_PAINT:
        if (!layered_) {
            const RECT update = subclass_.beginPaint();
            paintDirect(update);
            subclass_.endPaint();
        } else {
            ValidateRect(hwnd, nullptr); // the layer shows itself; nothing to paint
        }
        return 0;
    default:
        break;
    }
    return subclass_.callPrevious(hwnd, message, wParam, lParam);
}

void WindowHost::releaseCapturedChild(bool sendButtonUp) {
    Endpoint* child = captureChild_;
    captureChild_ = nullptr;
    if (sendButtonUp && child)
        send(child, buttonUpFor(captureButtonDown_), 0, captureLastPoint_);
    captureButtonDown_ = 0;
}

LRESULT WindowHost::handleEngineMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const std::optional<LRESULT> reply = children_.answer(message, wParam, lParam))
        return *reply;
    switch (message) {
    case UI_IDENTIFY:
        return reinterpret_cast<LRESULT>(&endpoint_);
    case UI_REMOVE_CHILD:
        return removeChild(endpointOf(wParam), lParam == 1);
    case UI_CHILD_CHANGED:
        childChanged(endpointOf(wParam), rectAt(lParam));
        return 0;
    case UI_PRESENT_RECT:
        presentArea(rectAt(lParam));
        return 0;
    case UI_MOVE_CHILD:
        return moveChild(endpointOf(wParam), rectAt(lParam));
    case UI_CAPTURE:
        captureRect_ = rectAt(static_cast<LPARAM>(wParam));
        captureChild_ = endpointOfL(lParam);
        captureButtonDown_ = 0;
        captureLastPoint_ = 0;
        subclass_.setCapture();
        return 0;
    case UI_RELEASE:
        if (captureChild_ && captureChild_ == endpointOfL(lParam)) {
            captureChild_ = nullptr; // first: releasing sends WM_CAPTURECHANGED
            subclass_.releaseCapture();
        }
        return 0;
    case UI_GET_HWND:
        return reinterpret_cast<LRESULT>(hwnd_);
    default:
        return 0;
    }
}

LRESULT WindowHost::removeChild(Endpoint* child, bool quiet) {
    const std::optional<Rect> rect = children_.release(child, quiet);
    if (!rect)
        return 0;
    // The child, or a control inside it, may hold the capture: a torn-down
    // control knows no window any more.
    if (captureChild_ && (captureChild_ == child || send(captureChild_, UI_GET_HWND) == 0)) {
        captureChild_ = nullptr;
        subclass_.releaseCapture();
    }
    restoreArea(layers(), children_, nullptr, *rect);
    presentArea(*rect);
    return 1;
}

void WindowHost::redraw(bool withLayout) {
    if (!hwnd_ || destroyed_)
        return;
    width_ = std::max(subclass_.getWidth(), 0);
    height_ = std::max(subclass_.getHeight(), 0);
    if (layered_ && (canvas_.width() != width_ || canvas_.height() != height_))
        canvas_.resize(width_, height_);
    // New layers only for a new size; the same size starts over on the old ones.
    if (!backgroundLayer_.hasSurface() || backgroundLayer_.surfaceWidth() != width_ ||
        backgroundLayer_.surfaceHeight() != height_) {
        compositeLayer_.createSurface(width_, height_);
        backgroundLayer_.createSurface(width_, height_);
    } else {
        backgroundLayer_.clearArea(0, 0, width_, height_);
    }
    backgroundLayer_.setTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    painting_ = true;
    drawBackground();
    layOutSystemButtons();
    if (withLayout && layoutCallback_ && !iconic()) {
        EndpointCallback layout = layoutCallback_;
        layout(&endpoint_);
    }
    if (destroyed_)
        return;
    backgroundLayer_.sync();
    const Layers l = layers();
    copyArea(l.composite, l.background, {0, 0, width_, height_}, l.width, l.height);
    corvina::composeChildren(l, children_);
    copyArea(outputDc(), l.composite, {0, 0, width_, height_}, l.width, l.height);
    painting_ = false;
    present();
}

void WindowHost::drawBackground() {
    GraphicsObject& g = backgroundLayer_;
    UiTheme& theme = uiEngine().theme();
    if (backgroundMode_ == 2) {
        if (!frameImage_.empty()) {
            // The grid is cut from a pixel copy of the image and stretched by
            // whole pixels: GDI+ resampling would blend across the cuts.
            if (!frameSurface_.hasSurface()) {
                frameSurface_.createSurface(frameImage_.width(), frameImage_.height());
                frameSurface_.drawImageRect(frameImage_, 0, 0, frameImage_.width(), frameImage_.height());
                frameSurface_.sync();
            }
            g.sync();
            HDC target = g.surfaceDc();
            SetStretchBltMode(target, COLORONCOLOR);
            for (const GridPart& part :
                 nineGrid(frameImage_.width(), frameImage_.height(), frameMargins_, {0, 0, width_, height_}))
                if (part.source.width > 0 && part.source.height > 0 && part.target.width > 0 &&
                    part.target.height > 0)
                    StretchBlt(target, part.target.x, part.target.y, part.target.width, part.target.height,
                               frameSurface_.surfaceDc(), part.source.x, part.source.y, part.source.width,
                               part.source.height, SRCCOPY);
        }
    } else {
        g.clear(backgroundColour_);
    }
    if (!contentImage_.empty()) {
        g.setInterpolationMode(interpolationMode_);
        const Margins& m = contentMargins_;
        const Rect area{m.left, m.top, std::max(width_ - m.left - m.right, 0), std::max(height_ - m.top - m.bottom, 0)};
        g.setClipRect(area.x, area.y, area.width, area.height);
        if (contentFit_ == 0)
            g.drawImageRect(contentImage_, area.x, area.y, area.width, area.height);
        else
            g.drawImageRect(contentImage_, area.x, area.y, contentImage_.width(), contentImage_.height());
        g.resetClip();
    }
    if (backgroundMode_ != 2)
        for (const BorderStroke& s : borderStrokes(borderStyle_, width_, height_)) {
            const PenObject& pen = s.lightPen ? theme.lightPen : theme.darkPen;
            if (s.kind == BorderStroke::Rectangle)
                g.drawRectangle(pen, s.a, s.b, s.c, s.d);
            else
                g.drawLine(pen, s.a, s.b, s.c, s.d);
        }
    const TitleLayout title = titleLayout(frameInset_, !titleIcon_.empty(), width_);
    if (title.icon) {
        g.setInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        g.drawImageRect(titleIcon_, title.icon->x, title.icon->y, title.icon->width, title.icon->height);
    }
    g.setTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    if (!title_.empty())
        g.drawString(title_, theme.titleFont, static_cast<float>(title.text.x), static_cast<float>(title.text.y),
                     static_cast<float>(title.text.width), static_cast<float>(title.text.height), theme.titleFormat,
                     theme.titleBrush);
}

void WindowHost::composeChildren() {
    corvina::composeChildren(layers(), children_);
}

LRESULT WindowHost::moveChild(Endpoint* child, const Rect& rect) {
    const std::optional<Rect> old = corvina::moveChild(layers(), children_, child, rect);
    if (!old)
        return 0;
    presentArea(*old);
    if (captureChild_ == child)
        captureRect_ = rect;
    return 1;
}

void WindowHost::childChanged(Endpoint* child, const Rect& dirty) {
    if (painting_)
        return;
    composeChildChange(layers(), children_, child, dirty);
}

void WindowHost::recomposeArea(Endpoint* excluded, const Rect& area, int first, int last) {
    corvina::recomposeArea(layers(), children_, excluded, area, first, last);
}

void WindowHost::presentArea(const Rect& area) {
    if (painting_ || destroyed_ || !hwnd_)
        return;
    const Layers l = layers();
    copyArea(outputDc(), l.composite, area, l.width, l.height);
    // Only the area goes to the screen; a direct-mode copy is visible already.
    if (!layered_ || iconic())
        return;
    ++presents_;
    if (!IsWindowVisible(hwnd_)) {
        presentWhenShown_ = true; // the whole layer goes once, as the window appears
        return;
    }
    canvas_.presentArea(area.x, area.y, area.width, area.height);
}

bool WindowHost::dispatchMouse(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    return children_.dispatchMouse(message, wParam, lParam, [this] { return !destroyed_; });
}

void WindowHost::paintDirect(const RECT& update) {
    const Layers l = layers();
    copyArea(windowDc_, l.composite, {update.left, update.top, update.right - update.left, update.bottom - update.top},
             l.width, l.height);
}

void WindowHost::present() {
    if (!layered_ || destroyed_ || iconic())
        return;
    ++presents_;
    // A hidden layered window shows nothing of what it is given: the push of
    // the layer waits until the window is about to appear (a window built
    // while hidden would otherwise push its layer for every control made).
    if (!IsWindowVisible(hwnd_)) {
        presentWhenShown_ = true;
        return;
    }
    canvas_.presentAtWindow();
}

void WindowHost::frameMouse(LPARAM lParam, bool buttonDown) {
    if (!resizable_ || maximised_ || !hwnd_)
        return;
    const int x = pointerX(lParam) - frameInset_, y = pointerY(lParam) - frameInset_;
    if (x < 0 || y < 0 || x > width_ - 2 * frameInset_ || y > height_ - 2 * frameInset_)
        return; // outside the visible frame: the shadow takes nothing
    const int zone = frameZone(pointerX(lParam), pointerY(lParam), width_, height_, frameInset_);
    if (zone == 0) {
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        if (buttonDown)
            handleMessage(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return;
    }
    SetCursor(LoadCursor(nullptr, zoneCursor(zone)));
    if (buttonDown)
        SendMessageW(hwnd_, WM_SYSCOMMAND, zoneSizeCommand(zone), 0);
    else
        resizeZone_ = zone;
}

LRESULT WindowHost::systemButtonAction(int kind) {
    if (systemButtonCallback_) {
        SystemButtonCallback callback = systemButtonCallback_;
        if (const int result = callback(&endpoint_, kind); result != 0)
            return result;
    }
    switch (kind) {
    case 1:
        return subclass_.callPrevious(hwnd_, WM_CLOSE, 0, 0);
    case 2: {
        ImageButton& button = systemButtons_[1];
        const std::vector<uint8_t> sheet = sheetBytes(buttonSkin_);
        Rect target;
        if (maximised_) {
            target = savedRect_;
            button.setImage(sheet, systemButtonFrames(buttonSkin_, 2, false));
        } else {
            // The work area of the window's monitor, wherever its taskbar is.
            MONITORINFO monitor{};
            monitor.cbSize = sizeof monitor;
            if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor))
                SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
            savedRect_ = {subclass_.getLeft(), subclass_.getTop(), subclass_.getWidth(), subclass_.getHeight()};
            target = maximisedRect(monitor.rcWork, frameInset_);
            button.setImage(sheet, systemButtonFrames(buttonSkin_, 2, true));
        }
        maximised_ = !maximised_;
        // In place in the z-order: the click on the button has brought the
        // window forward already, and a raise here could put it above the
        // windows it owns where the window system does not keep them above.
        SetWindowPos(hwnd_, nullptr, target.x, target.y, target.width, target.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        // The other glyph shows now, whatever state the button is in.
        if (button.state() == ImageButton::Normal)
            button.draw();
        else
            button.resetState();
        return 0;
    }
    case 3:
        return CloseWindow(hwnd_);
    default:
        return 0;
    }
}

COLORREF WindowHost::backgroundColourProperty(std::optional<COLORREF> colour, int transparency) {
    if (colour) {
        transparency_ = transparency;
        backgroundColour_ = argbOf(*colour, 255 - transparency);
        if (backgroundMode_ != 1)
            redraw(false);
    }
    return colourRefOf(backgroundColour_);
}

int WindowHost::backgroundModeProperty(std::optional<int> mode) {
    if (mode) {
        backgroundMode_ = *mode;
        redraw(false);
    }
    return backgroundMode_;
}

void WindowHost::setOpacity(int alpha) {
    if (!layered_)
        return;
    canvas_.setAlpha(alpha);
    present();
}

void WindowHost::onDestroy() {
    destroyed_ = true;
    if (captureChild_) {
        captureChild_ = nullptr;
        subclass_.releaseCapture();
    }
    children_.parentGone();
    compositeLayer_.releaseSurface();
    backgroundLayer_.releaseSurface();
    letGoOfWindow();
    frameImage_.clear();
    frameSurface_.releaseSurface();
    titleIcon_.clear();
}

void WindowHost::letGoOfWindow() {
    canvas_.release(); // gives the window its extended style back
    if (windowDc_)
        ReleaseDC(hwnd_, windowDc_);
    windowDc_ = nullptr;
    subclass_.detach(); // the window's own procedure again
}

ImageButton* WindowHost::systemButton(int kind) {
    return kind >= 1 && kind <= 7 ? &systemButtons_[static_cast<size_t>(kind - 1)] : nullptr;
}

void WindowHost::createSystemButtons() {
    const std::vector<uint8_t> sheet = sheetBytes(buttonSkin_);
    for (int kind = 1; kind <= 7; ++kind) {
        ImageButton& button = systemButtons_[static_cast<size_t>(kind - 1)];
        if (!(systemButtonMask_ & (1 << (kind - 1)))) {
            button.destroy(); // from an earlier attachment
            continue;
        }
        const SIZE size = systemButtonSize(buttonSkin_, kind);
        const int width = static_cast<int>(size.cx), height = static_cast<int>(size.cy);
        // The row is laid out by the next redraw; until then at the right edge.
        button.create(&endpoint_, std::max(subclass_.getWidth() - width, 0), 0, width, height, 0, {}, sheet,
                      [this](int tag) { systemButtonAction(tag); }, kind, 0,
                      systemButtonFrames(buttonSkin_, kind, kind == 2 && maximised_));
    }
}

void WindowHost::layOutSystemButtons() {
    std::array<SIZE, 7> sizes{};
    for (int kind = 1; kind <= 7; ++kind)
        sizes[static_cast<size_t>(kind - 1)] = systemButtonSize(buttonSkin_, kind);
    const auto row = systemButtonRow(width_, buttonsRight_, buttonsTop_, buttonSkin_, systemButtonMask_, sizes);
    for (size_t i = 0; i < row.size(); ++i) {
        ImageButton& button = systemButtons_[i];
        if (row[i] && !button.isDestroyed() && (button.getX() != row[i]->x || button.getY() != row[i]->y))
            button.moveTo(row[i]->x, row[i]->y, row[i]->width, row[i]->height);
    }
}

void WindowHost::close() {
    if (hwnd_ && !destroyed_)
        SendMessageW(hwnd_, WM_CLOSE, 0, 0); // the hook first, then the window's own procedure
}

void WindowHost::layoutCallbackProperty(std::optional<EndpointCallback> callback) {
    if (callback) {
        layoutCallback_ = std::move(*callback);
        return;
    }
    if (layoutCallback_) {
        EndpointCallback layout = layoutCallback_;
        layout(&endpoint_);
    }
}

void WindowHost::setSizeLimits(int minWidth, int minHeight, std::optional<int> maxWidth, std::optional<int> maxHeight) {
    subclass_.setTrackLimits(minWidth, minHeight, maxWidth.value_or(kDefaultMaximum),
                             maxHeight.value_or(kDefaultMaximum));
}

int WindowHost::systemButtonCallbackProperty(std::optional<SystemButtonCallback> callback, int kind) {
    if (callback) {
        systemButtonCallback_ = std::move(*callback);
        return 0;
    }
    if (!systemButtonCallback_)
        return 0;
    SystemButtonCallback stored = systemButtonCallback_;
    return stored(&endpoint_, kind);
}

void WindowHost::setSystemButtonOrigin(int fromRight, int fromTop) {
    buttonsRight_ = fromRight;
    buttonsTop_ = fromTop;
}

bool WindowHost::dragByClientProperty(std::optional<bool> flag) {
    if (flag)
        dragByClient_ = *flag;
    return dragByClient_;
}

bool WindowHost::resizableProperty(std::optional<bool> flag) {
    if (flag)
        resizable_ = *flag;
    return resizable_;
}

void WindowHost::setContentImage(const std::vector<uint8_t>& bytes) {
    if (bytes.empty())
        contentImage_.clear();
    else
        contentImage_.fromBytes(bytes);
    redraw(false);
}

bool WindowHost::setContentMargins(int left, int top, int right, int bottom) {
    contentMargins_ = {left, top, right, bottom};
    return backgroundMode_ == 2;
}

int WindowHost::interpolationModeProperty(std::optional<int> mode, bool redrawNow) {
    if (mode) {
        interpolationMode_ = *mode;
        if (redrawNow)
            redraw(false);
    }
    return interpolationMode_;
}

} // namespace corvina
