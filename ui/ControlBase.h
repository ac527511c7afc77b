// The root of every custom control: a rectangle inside a parent (a host or
// another control) that draws into its own 32-bit surface, reports each
// change of it to the parent, and gets mouse and keys through its endpoint.
// A control is a parent too: it keeps its own children exactly as a host
// does, its surface playing the host's composite and its backup layer (its
// own drawing without the children) the host's background.
#pragma once

#include "ChildSet.h"
#include "Endpoint.h"
#include "GraphicsObject.h"
#include "UiGeometry.h"

#include <array>
#include <functional>
#include <optional>

namespace corvina {

// A window timer whose id and callback are an endpoint: each tick invokes it
// with WM_TIMER.
class WindowTimer {
  public:
    WindowTimer() = default;
    ~WindowTimer() { stop(); }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    void start(HWND window, Endpoint* target, int interval);
    void setInterval(int interval);
    void stop();
    bool running() const { return running_; }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD);
    int interval_ = 0;
    UINT_PTR id_ = 0;
    HWND window_ = nullptr;
    bool running_ = false;
};

class ControlBase {
  public:
    // (endpoint, code, a, b): a, b are x, y, or for the wheel the packed
    // pointer and the wheel's wParam.
    using EventCallback = std::function<void(Endpoint*, int, LPARAM, LPARAM)>;
    using MessageHook = std::function<int(Endpoint*, UINT, WPARAM, LPARAM)>;
    static constexpr int kEventCount = 14;

    ControlBase();
    virtual ~ControlBase();
    ControlBase(const ControlBase&) = delete;
    ControlBase& operator=(const ControlBase&) = delete;

    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void onTimer() {}
    void transitionStep();
    // Registers with `parent`; null when the parent is null or does not
    // answer UI_IDENTIFY with its own endpoint.
    Endpoint* createBase(Endpoint* parent, int x, int y, int width, int height, int transparency = 0,
                         const wchar_t* cursor = nullptr, bool passThrough = false, bool canFocus = false);
    void beginTransition(bool keep = false);
    void runTransition(std::optional<int> frames = std::nullopt, std::optional<int> interval = std::nullopt);
    void endTransition();
    void startTimer(int interval);
    void stopTimer();
    void setTimerInterval(int interval);
    virtual LRESULT handleEngineMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void childChanged(Endpoint* child, const Rect& dirty);
    LRESULT moveChild(Endpoint* child, const Rect& rect);
    void recomposeArea(Endpoint* excluded, const Rect& area, int first, int last);
    void relayPresent(Endpoint* child, const Rect& rect);
    void captureMouse();
    void releaseMouse();
    virtual void onMouseMove(int, int) {}
    virtual void onLeftDown(int, int) {}
    virtual void onLeftUp(int, int) {}
    virtual void onLeftDoubleClick(int, int) {}
    virtual void onRightDown(int, int) {}
    virtual void onRightUp(int, int) {}
    virtual void onRightDoubleClick(int, int) {}
    virtual void onMiddleDown(int, int) {}
    virtual void onMiddleUp(int, int) {}
    virtual void onMiddleDoubleClick(int, int) {}
    virtual void onWheel(WPARAM) {}
    virtual void onMouseEnter() {}
    virtual void onMouseLeave() {}
    bool dispatchToChildren(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void onChar(WPARAM) {}
    virtual void onKeyDown(WPARAM, LPARAM) {}
    virtual void onKeyUp(WPARAM, LPARAM) {}
    virtual void releaseResources() {}
    virtual void onResized() {}
    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    int getX() const { return x_; }
    int getY() const { return y_; }
    Endpoint* getEndpoint() { return &endpoint_; }
    // The classes redraw themselves completely (ending with present).
    virtual void refresh() {}
    void present(std::optional<int> x = std::nullopt, std::optional<int> y = std::nullopt,
                 std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt);
    void blendChildren(const Rect& area);
    void saveBackup(const Rect& area);
    void moveTo(std::optional<int> x = std::nullopt, std::optional<int> y = std::nullopt,
                std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt);
    void destroy();
    int transparencyProperty(std::optional<int> transparency = std::nullopt);
    bool visibleProperty(std::optional<bool> visible = std::nullopt);
    bool disabledProperty(std::optional<bool> disabled = std::nullopt);
    HDC getSurfaceDc() const { return surface_.surfaceDc(); }
    void setMouseTransparent(bool flag) { mouseTransparent_ = flag; }
    HWND getHostWindow() const { return hostHwnd_; }
    virtual void onVisibleChanged() {}
    void setMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }
    virtual void onDisabledChanged() {}
    void clearBackupArea(int x, int y, int width, int height);
    void setGroup(int group);
    int getGroup() const { return group_; }
    bool groupHasOther(int group);
    virtual void onGroupChanged(LPARAM) {}
    virtual void onFocus() {}
    virtual void onBlur() {}
    // What UI_SET_EVENT stores: false for a code outside 1..14.
    bool setEvent(int code, EventCallback callback);

    bool isDestroyed() const { return destroyed_; }
    bool hasFocus() const { return hasFocus_; }
    bool isCaptured() const { return captured_; }
    Endpoint* parent() const { return parent_; }
    const ChildSet& children() const { return children_; }
    int opacity() const { return opacity_; }
    int transitionStepCount() const { return transitionStepCount_; }
    const GraphicsObject& backup() const { return backup_; }

  protected:
    // Where the classes draw.
    GraphicsObject& surface() { return surface_; }
    const GraphicsObject& surface() const { return surface_; }

  private:
    Layers layers() const;
    // An area of this control (clipped to it) told to the parent as changed
    // and presented.
    void climb(const Rect& area);
    void teardown();
    LRESULT removeChild(Endpoint* child, bool quiet);
    void raise(int code, LPARAM a, LPARAM b);

    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    int opacity_ = 255;
    GraphicsObject backup_;
    GraphicsObject surface_;
    BoundEndpoint<std::function<LRESULT(UINT, WPARAM, LPARAM)>> endpoint_;
    ChildSet children_;
    bool disabled_ = false;
    Rect rect_;
    Endpoint* parent_ = nullptr;
    WindowTimer timer_;
    BoundEndpoint<std::function<LRESULT(UINT, WPARAM, LPARAM)>> timerEndpoint_;
    bool destroyed_ = true;
    bool mouseTransparent_ = false;
    bool captured_ = false;
    HCURSOR cursor_ = nullptr;
    HWND hostHwnd_ = nullptr;
    bool visible_ = false;
    MessageHook messageHook_;
    int group_ = 0;
    bool passThrough_ = false;
    bool canFocus_ = false;
    bool hasFocus_ = false;
    std::array<EventCallback, kEventCount> events_{};
    GraphicsObject transitionNew_;
    GraphicsObject transitionOld_;
    int transitionFrames_ = 15;
    int transitionInterval_ = 15;
    BoundEndpoint<std::function<LRESULT(UINT, WPARAM, LPARAM)>> transitionStepEndpoint_;
    int transitionStepCount_ = 0;
    WindowTimer transitionTimer_;
    bool suppressTransitions_ = false;
};

} // namespace corvina
