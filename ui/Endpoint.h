// How hosts and controls address each other: an Endpoint is invoked like a
// window procedure with the engine messages below, and its address is its
// identity (a parent keeps its children's endpoints, a child its parent's).
// Replies are pointer-sized, since some of them are endpoints or handles.
#pragma once

#include <windows.h>

#include <utility>

namespace corvina {

class Endpoint {
  public:
    virtual LRESULT invoke(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  protected:
    ~Endpoint() = default;
};

// An endpoint bound to a callable of the shape (message, wParam, lParam).
template <typename F> class BoundEndpoint final : public Endpoint {
  public:
    explicit BoundEndpoint(F f) : f_(std::move(f)) {}
    LRESULT invoke(UINT message, WPARAM wParam, LPARAM lParam) override { return f_(message, wParam, lParam); }

  private:
    F f_;
};

// Null endpoints answer 0.
inline LRESULT send(Endpoint* to, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return to ? to->invoke(message, wParam, lParam) : 0;
}

inline WPARAM asWParam(Endpoint* e) { return reinterpret_cast<WPARAM>(e); }
inline LPARAM asLParam(Endpoint* e) { return reinterpret_cast<LPARAM>(e); }
inline Endpoint* endpointOf(WPARAM value) { return reinterpret_cast<Endpoint*>(value); }
inline Endpoint* endpointOfL(LPARAM value) { return reinterpret_cast<Endpoint*>(value); }

// The engine messages. 510 and 511 sit just below WM_MOUSEMOVE, so the mouse
// range of a host or control is UI_MOUSE_ENTER..WM_XBUTTONDBLCLK.
enum : UINT {
    UI_MOUSE_ENTER = 510,
    UI_MOUSE_LEAVE = 511,
    UI_IDENTIFY = 10000,
    UI_ADD_CHILD = 10001,
    UI_REMOVE_CHILD = 10002,
    UI_GET_SURFACE = 10003,
    UI_GET_OPACITY = 10004,
    UI_CHILD_CHANGED = 10005,
    UI_PRESENT_RECT = 10006,
    UI_MOVE_CHILD = 10007,
    UI_PARENT_GONE = 10008,
    UI_CAPTURE = 10009,
    UI_RELEASE = 10010,
    UI_GET_HWND = 10011,
    UI_IS_VISIBLE = 10012,
    UI_ACCEPTS_MOUSE = 10013,
    UI_IS_DISABLED = 10014,
    UI_GET_GROUP = 10015,
    UI_GROUP_HAS_OTHER = 10016,
    UI_NOTIFY_GROUP = 10017,
    UI_GROUP_CHANGED = 10018,
    UI_REPARENT = 10019,
    UI_HOST_CHANGED = 10020,
    UI_CAN_FOCUS = 10021,
    UI_SET_FOCUS = 10022,
    UI_KILL_FOCUS = 10023,
    UI_SET_EVENT = 10025,
    UI_FIRST_ENGINE_MESSAGE = 10000,
    UI_LAST_ENGINE_MESSAGE = 10999,
    UI_FIRST_MOUSE_MESSAGE = UI_MOUSE_ENTER,
    UI_LAST_MOUSE_MESSAGE = 0x20D, // WM_XBUTTONDBLCLK
};

inline bool isMouseMessage(UINT message) {
    return message >= UI_FIRST_MOUSE_MESSAGE && message <= UI_LAST_MOUSE_MESSAGE;
}
inline bool isEngineMessage(UINT message) {
    return message >= UI_FIRST_ENGINE_MESSAGE && message <= UI_LAST_ENGINE_MESSAGE;
}

} // namespace corvina
