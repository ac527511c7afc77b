#include "ControlBase.h"

#include "UiEngine.h"

#include <algorithm>

namespace corvina {
void WindowTimer::tick(HWND, UINT, UINT_PTR id, DWORD) { send(reinterpret_cast<Endpoint*>(id), WM_TIMER, id, 0); }

void WindowTimer::start(HWND window, Endpoint* target, int interval) {
    stop();
    window_ = window;
    id_ = reinterpret_cast<UINT_PTR>(target);
    interval_ = interval;
    // Without a window the id would not be ours to choose: no timer then.
    if (interval > 0 && window && id_)
        running_ = SetTimer(window, id_, static_cast<UINT>(interval), tick) != 0;
}

void WindowTimer::setInterval(int interval) {
    if (interval < 1) {
        stop();
        return;
    }
    interval_ = interval;
    stop();
    if (window_ && id_)
        running_ = SetTimer(window_, id_, static_cast<UINT>(interval), tick) != 0;
}

void WindowTimer::stop() {
    if (running_ && window_)
        KillTimer(window_, id_);
    running_ = false;
}

ControlBase::ControlBase()
    : endpoint_([this](UINT m, WPARAM w, LPARAM l) { return handleMessage(m, w, l); }),
      timerEndpoint_([this](UINT, WPARAM, LPARAM) -> LRESULT {
          onTimer();
          return 0;
      }),
      transitionStepEndpoint_([this](UINT, WPARAM, LPARAM) -> LRESULT {
          transitionStep();
          return 0;
      }) {}

ControlBase::~ControlBase() {
    destroy();
    timer_.stop();
    transitionTimer_.stop();
}

Layers ControlBase::layers() const {
    return {surface_.surfaceDc(), backup_.surfaceDc(), surface_.surfaceWidth(), surface_.surfaceHeight()};
}

Endpoint* ControlBase::createBase(Endpoint* parent, int x, int y, int width, int height, int transparency,
                                  const wchar_t* cursor, bool passThrough, bool canFocus) {
    if (!parent || endpointOfL(send(parent, UI_IDENTIFY)) != parent)
        return nullptr;
    if (!destroyed_)
        destroy(); // created again: leave the old parent first
    x_ = x;
    y_ = y;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    opacity_ = static_cast<int>(255 - transparency);
    rect_ = {x_, y_, width_, height_};
    surface_.createSurface(width_, height_);
    backup_.createSurface(width_, height_);
    destroyed_ = false;
    parent_ = parent;
    canFocus_ = canFocus;
    visible_ = true;
    passThrough_ = passThrough;
    cursor_ = cursor ? LoadCursorW(nullptr, cursor) : nullptr;
    send(parent_, UI_ADD_CHILD, asWParam(&endpoint_), rectParam(&rect_));
    hostHwnd_ = reinterpret_cast<HWND>(send(parent_, UI_GET_HWND));
    suppressTransitions_ = true;
    refresh();
    suppressTransitions_ = false;
    return &endpoint_;
}

LRESULT ControlBase::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (destroyed_)
        return 0;
    if (messageHook_) {
        MessageHook hook = messageHook_;
        if (hook(&endpoint_, message, wParam, lParam) == 1)
            return 0;
    }
    if (isMouseMessage(message)) {
        if (disabled_)
            return 1;
        if (!captured_ && dispatchToChildren(message, wParam, lParam))
            return 0;
        if (destroyed_)
            return 0;
        if (cursor_)
            SetCursor(cursor_);
        if (mouseTransparent_ || passThrough_)
            return 1;
        const int x = pointerX(lParam), y = pointerY(lParam);
        switch (message) {
        case WM_MOUSEMOVE:
            onMouseMove(x, y);
            raise(4, x, y);
            break;
        case WM_LBUTTONDOWN:
            onLeftDown(x, y);
            raise(5, x, y);
            break;
        case WM_LBUTTONUP:
            onLeftUp(x, y);
            raise(6, x, y);
            raise(1, x, y);
            break;
        case WM_LBUTTONDBLCLK:
            onLeftDoubleClick(x, y);
            raise(7, x, y);
            break;
        case WM_RBUTTONDOWN:
            onRightDown(x, y);
            raise(8, x, y);
            break;
        case WM_RBUTTONUP:
            onRightUp(x, y);
            raise(9, x, y);
            raise(2, x, y);
            break;
        case WM_RBUTTONDBLCLK:
            onRightDoubleClick(x, y);
            raise(10, x, y);
            break;
        case WM_MBUTTONDOWN:
            onMiddleDown(x, y);
            raise(11, x, y);
            break;
        case WM_MBUTTONUP:
            onMiddleUp(x, y);
            raise(12, x, y);
            raise(3, x, y);
            break;
        case WM_MBUTTONDBLCLK:
            onMiddleDoubleClick(x, y);
            raise(13, x, y);
            break;
        case WM_MOUSEWHEEL:
            onWheel(wParam);
            raise(14, lParam, static_cast<LPARAM>(wParam));
            break;
        case UI_MOUSE_ENTER:
            onMouseEnter();
            break;
        case UI_MOUSE_LEAVE:
            onMouseLeave();
            break;
        default:
            break;
        }
        return 0;
    }
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR) {
        if (children_.routeKey(message, wParam, lParam))
            return 0;
        if (message == WM_KEYDOWN)
            onKeyDown(wParam, lParam);
        else if (message == WM_KEYUP)
            onKeyUp(wParam, lParam);
        else
            onChar(wParam);
        return 0;
    }
    if (message < UI_FIRST_ENGINE_MESSAGE)
        return 0;
    return handleEngineMessage(message, wParam, lParam);
}

void ControlBase::raise(int code, LPARAM a, LPARAM b) {
    if (destroyed_)
        return;
    if (EventCallback callback = events_[static_cast<size_t>(code - 1)])
        callback(&endpoint_, code, a, b);
}

bool ControlBase::setEvent(int code, EventCallback callback) {
    if (code < 1 || code > kEventCount)
        return false;
    events_[static_cast<size_t>(code - 1)] = std::move(callback);
    return true;
}

bool ControlBase::dispatchToChildren(UINT message, WPARAM wParam, LPARAM lParam) {
    return children_.dispatchMouse(message, wParam, lParam, [this] { return !destroyed_; });
}

LRESULT ControlBase::handleEngineMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const std::optional<LRESULT> reply = children_.answer(message, wParam, lParam))
        return *reply;
    switch (message) {
    case UI_IDENTIFY:
        return reinterpret_cast<LRESULT>(&endpoint_);
    case UI_REMOVE_CHILD:
        return removeChild(endpointOf(wParam), lParam == 1);
    case UI_GET_SURFACE:
        surface_.sync();
        return reinterpret_cast<LRESULT>(surface_.surfaceDc());
    case UI_GET_OPACITY:
        return opacity_;
    case UI_CHILD_CHANGED:
        if (visible_)
            childChanged(endpointOf(wParam), rectAt(lParam));
        return 0;
    case UI_PRESENT_RECT:
        if (visible_)
            relayPresent(endpointOf(wParam), rectAt(lParam));
        return 0;
    case UI_MOVE_CHILD:
        return moveChild(endpointOf(wParam), rectAt(lParam));
    case UI_PARENT_GONE:
        teardown();
        return 0;
    case UI_CAPTURE: {
        const Rect moved = offsetRect(rectAt(static_cast<LPARAM>(wParam)), x_, y_);
        send(parent_, UI_CAPTURE, rectWParam(&moved), lParam);
        return 0;
    }
    case UI_RELEASE:
        send(parent_, UI_RELEASE, wParam, lParam);
        return 0;
    case UI_GET_HWND:
        return reinterpret_cast<LRESULT>(hostHwnd_);
    case UI_IS_VISIBLE:
        return visible_ ? 1 : 0;
    case UI_ACCEPTS_MOUSE:
        return !mouseTransparent_ && !disabled_ ? 1 : 0;
    case UI_IS_DISABLED:
        return disabled_ ? 1 : 0;
    case UI_GET_GROUP:
        return group_;
    case UI_GROUP_CHANGED:
        onGroupChanged(lParam);
        return 0;
    case UI_REPARENT: {
        send(parent_, UI_REMOVE_CHILD, asWParam(&endpoint_), 1);
        parent_ = endpointOf(wParam);
        send(parent_, UI_ADD_CHILD, asWParam(&endpoint_), rectParam(&rect_));
        hostHwnd_ = reinterpret_cast<HWND>(send(parent_, UI_GET_HWND));
        for (const ChildEntry& e : std::vector<ChildEntry>(children_.entries()))
            send(e.child, UI_HOST_CHANGED);
        refresh();
        return hostHwnd_ ? 1 : 0;
    }
    case UI_HOST_CHANGED:
        hostHwnd_ = reinterpret_cast<HWND>(send(parent_, UI_GET_HWND));
        for (const ChildEntry& e : std::vector<ChildEntry>(children_.entries()))
            send(e.child, UI_HOST_CHANGED);
        return 0;
    case UI_CAN_FOCUS:
        return canFocus_ ? 1 : 0;
    case UI_SET_FOCUS:
        hasFocus_ = true;
        onFocus();
        return 0;
    case UI_KILL_FOCUS:
        hasFocus_ = false;
        onBlur();
        return 0;
    case UI_SET_EVENT: {
        const auto* callback = reinterpret_cast<const EventCallback*>(lParam);
        return setEvent(static_cast<int>(wParam), callback ? *callback : EventCallback{}) ? 1 : 0;
    }
    default:
        return 0;
    }
}

LRESULT ControlBase::removeChild(Endpoint* child, bool quiet) {
    const std::optional<Rect> rect = children_.release(child, quiet);
    if (!rect)
        return 0;
    if (!destroyed_) {
        restoreArea(layers(), children_, nullptr, *rect);
        climb(*rect);
    }
    return 1;
}

void ControlBase::teardown() {
    destroyed_ = true;
    children_.parentGone();
    releaseResources();
    surface_.releaseSurface();
    backup_.releaseSurface();
    timer_.stop();
    transitionTimer_.stop();
    transitionNew_.releaseSurface();
    transitionOld_.releaseSurface();
    transitionStepCount_ = 0;
    canFocus_ = false;
    hasFocus_ = false;
    captured_ = false;
    x_ = y_ = width_ = height_ = 0;
    rect_ = {};
    opacity_ = 0;
    parent_ = nullptr; // never spoken to again
    cursor_ = nullptr;
    hostHwnd_ = nullptr;
    messageHook_ = nullptr;
    group_ = 0;
}

void ControlBase::climb(const Rect& area) {
    if (destroyed_ || !visible_)
        return;
    const Rect a = clipToSize(area, width_, height_);
    send(parent_, UI_CHILD_CHANGED, asWParam(&endpoint_), rectParam(&a));
    if (destroyed_)
        return;
    const Rect moved = offsetRect(a, x_, y_);
    send(parent_, UI_PRESENT_RECT, asWParam(&endpoint_), rectParam(&moved));
}

void ControlBase::childChanged(Endpoint* child, const Rect& dirty) {
    const std::optional<Rect> area = composeChildChange(layers(), children_, child, dirty);
    if (!area)
        return;
    const Rect a = clipToSize(*area, width_, height_);
    send(parent_, UI_CHILD_CHANGED, asWParam(&endpoint_), rectParam(&a));
}

LRESULT ControlBase::moveChild(Endpoint* child, const Rect& rect) {
    const std::optional<Rect> old = corvina::moveChild(layers(), children_, child, rect);
    if (!old)
        return 0;
    climb(*old);
    return 1;
}

void ControlBase::recomposeArea(Endpoint* excluded, const Rect& area, int first, int last) {
    corvina::recomposeArea(layers(), children_, excluded, area, first, last);
}

void ControlBase::relayPresent(Endpoint*, const Rect& rect) {
    const Rect moved = offsetRect(rect, x_, y_);
    send(parent_, UI_PRESENT_RECT, asWParam(&endpoint_), rectParam(&moved));
}

void ControlBase::captureMouse() {
    captured_ = true;
    send(parent_, UI_CAPTURE, rectWParam(&rect_), asLParam(&endpoint_));
}

void ControlBase::releaseMouse() {
    captured_ = false;
    send(parent_, UI_RELEASE, rectWParam(&rect_), asLParam(&endpoint_));
}

void ControlBase::present(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                          std::optional<int> height) {
    if (!visible_ || destroyed_)
        return;
    const Rect area = clipToSize({x.value_or(0), y.value_or(0), width.value_or(width_), height.value_or(height_)},
                                 width_, height_);
    saveBackup(area);
    blendChildren(area);
    climb(area);
}

void ControlBase::saveBackup(const Rect& area) {
    surface_.sync();
    copyArea(backup_.surfaceDc(), surface_.surfaceDc(), area, width_, height_);
}

void ControlBase::blendChildren(const Rect& area) {
    recomposeArea(nullptr, area, 1, children_.count());
}

void ControlBase::moveTo(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                         std::optional<int> height) {
    if (destroyed_)
        return;
    const int newWidth = std::max(width.value_or(width_), 0), newHeight = std::max(height.value_or(height_), 0);
    const bool resized = newWidth != width_ || newHeight != height_;
    x_ = x.value_or(x_);
    y_ = y.value_or(y_);
    if (resized) {
        width_ = newWidth;
        height_ = newHeight;
        backup_.createSurface(width_, height_);
        surface_.createSurface(width_, height_);
    }
    rect_ = {x_, y_, width_, height_};
    send(parent_, UI_MOVE_CHILD, asWParam(&endpoint_), rectParam(&rect_));
    if (resized) {
        onResized();
        refresh();
    } else {
        present();
    }
}

void ControlBase::destroy() {
    if (destroyed_)
        return;
    if (captured_)
        releaseMouse();
    send(parent_, UI_REMOVE_CHILD, asWParam(&endpoint_), 0);
    if (!destroyed_) // a parent that did not know this control
        teardown();
}

int ControlBase::transparencyProperty(std::optional<int> transparency) {
    if (transparency && 255 - *transparency != opacity_) {
        opacity_ = static_cast<int>(255 - *transparency);
        refresh();
    }
    return opacity_;
}

bool ControlBase::visibleProperty(std::optional<bool> visible) {
    if (visible && *visible != visible_ && !destroyed_) {
        visible_ = *visible;
        clearBackupArea(0, 0, width_, height_);
        onVisibleChanged();
        // The parent's picture follows at once: without the control when it
        // hides (a move to the same place recomposes the area without it),
        // with its picture when it shows.
        if (!visible_)
            send(parent_, UI_MOVE_CHILD, asWParam(&endpoint_), rectParam(&rect_));
        else
            present();
    }
    return visible_;
}

bool ControlBase::disabledProperty(std::optional<bool> disabled) {
    if (disabled && *disabled != disabled_) {
        disabled_ = *disabled;
        onDisabledChanged();
    }
    return disabled_;
}

void ControlBase::clearBackupArea(int x, int y, int width, int height) { backup_.clearArea(x, y, width, height); }

void ControlBase::setGroup(int group) {
    group_ = group;
    send(parent_, UI_NOTIFY_GROUP, asWParam(&endpoint_), group);
}

bool ControlBase::groupHasOther(int group) {
    return send(parent_, UI_GROUP_HAS_OTHER, asWParam(&endpoint_), group) == 1;
}

void ControlBase::startTimer(int interval) { timer_.start(hostHwnd_, &timerEndpoint_, interval); }
void ControlBase::stopTimer() { timer_.stop(); }
void ControlBase::setTimerInterval(int interval) { timer_.setInterval(interval); }

void ControlBase::beginTransition(bool keep) {
    if (!uiEngine().animationSwitch || suppressTransitions_ || destroyed_)
        return;
    const bool running = transitionNew_.hasSurface();
    transitionTimer_.stop();
    transitionOld_.releaseSurface();
    if (running && !keep) {
        // The running fade ends at its target before the new snapshot.
        surface_.copyFrom(transitionNew_);
        present();
    }
    transitionNew_.releaseSurface();
    transitionStepCount_ = 0;
    transitionOld_.createSurface(width_, height_);
    transitionOld_.copyFrom(surface_);
    surface_.clear(0);
}

void ControlBase::runTransition(std::optional<int> frames, std::optional<int> interval) {
    transitionTimer_.stop();
    if (!uiEngine().animationSwitch || suppressTransitions_ || !transitionOld_.hasSurface() || !hostHwnd_) {
        transitionOld_.releaseSurface();
        present();
        return;
    }
    transitionFrames_ = std::max(frames.value_or(15), 1);
    transitionInterval_ = std::max(interval.value_or(15), 1);
    transitionStepCount_ = 0;
    transitionNew_.createSurface(width_, height_);
    transitionNew_.copyFrom(surface_);
    transitionTimer_.start(hostHwnd_, &transitionStepEndpoint_, transitionInterval_);
    transitionStep();
}

void ControlBase::transitionStep() {
    if (destroyed_ || !transitionNew_.hasSurface())
        return;
    if (transitionStepCount_ <= transitionFrames_) {
        const FadeStep step = crossFadeStep(transitionStepCount_, transitionFrames_);
        surface_.clear(0);
        surface_.sync();
        if (transitionOld_.hasSurface())
            transitionOld_.blendTo(surface_.surfaceDc(), 0, 0, step.oldAlpha, false);
        transitionNew_.blendTo(surface_.surfaceDc(), 0, 0, step.newAlpha, false);
        present();
        ++transitionStepCount_;
        return;
    }
    transitionTimer_.stop();
    transitionOld_.releaseSurface();
    surface_.copyFrom(transitionNew_);
    transitionNew_.releaseSurface();
    transitionStepCount_ = 0;
    present();
}

void ControlBase::endTransition() {
    transitionTimer_.stop();
    transitionNew_.releaseSurface();
    transitionOld_.releaseSurface();
    transitionStepCount_ = 0;
}

} // namespace corvina
