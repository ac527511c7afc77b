// Takes over one window's procedure: keeps a copy of the window's geometry,
// enforces optional tracking limits and a movement area, hands every message
// to a handler (the host's message procedure) and otherwise to the window's
// previous procedure, and wraps the user32 calls the engine makes on that
// window. Bound with SetWindowSubclass, so detaching from inside a message
// is safe and other subclasses of the same window keep their place.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace corvina {

class WindowSubclass {
  public:
    using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

    WindowSubclass() = default;
    virtual ~WindowSubclass() { detach(); }
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    // Replaces any earlier subclassing by this object. False, and the window
    // keeps its procedure, when the window cannot be subclassed (none, or of
    // another thread).
    bool attach(HWND window, Handler handler);
    bool detach();
    bool isAttached() const { return attached_; }
    HWND getWindow() const { return window_; }

    // The window's previous procedure; after WM_NCDESTROY also detaches.
    LRESULT callPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    static std::string textAt(const char* text) { return text ? std::string(text) : std::string(); }
    static std::string wideTextAt(const wchar_t* text);
    bool trackMouseLeave();
    int lastX() const;
    int lastY() const;

    // The tracked geometry; -1 when not attached.
    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    int getClientWidth() const { return clientWidth_; }
    int getClientHeight() const { return clientHeight_; }
    int getLeft() const { return left_; }
    int getTop() const { return top_; }

    bool show(bool visible);
    bool isVisible() const;
    // BeginPaint; the update rectangle (left, top, right, bottom).
    RECT beginPaint();
    void endPaint();
    void setCapture();
    void releaseCapture();
    bool hasCapture() const;
    bool setPosition(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                     std::optional<int> height);
    bool activate();
    bool deactivate();
    void setDisabled(bool disabled);
    bool isDisabled() const;
    bool setTopmost(bool topmost);
    std::string getText() const;
    std::string getTextWide() const;
    bool setText(const std::string& text);
    bool setTextWide(const std::wstring& text);
    std::string getClassName() const;
    std::string getClassNameWide() const;

    bool setMoveBounds(int left, int top, int right, int bottom);
    bool clearMoveBounds();
    // A maximum below its minimum becomes the minimum.
    bool setTrackLimits(int minWidth, int minHeight, int maxWidth, int maxHeight);
    bool clearTrackLimits();
    int forceRepaint();

    struct Bounds {
        int left, top, right, bottom;
    };
    std::optional<Bounds> moveBounds() const;
    struct Limits {
        int minWidth, minHeight, maxWidth, maxHeight;
    };
    std::optional<Limits> trackLimits() const;

    // The subclass procedure: every message of the window comes through here.
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    void readGeometry();
    void clearFields();
    HWND focusInForeground() const;

    bool attached_ = false;
    HWND window_ = nullptr;
    LPARAM lastLParam_ = -1; // of the message being handled
    PAINTSTRUCT paintState_{};
    Handler handler_;
    int width_ = -1, height_ = -1, clientWidth_ = -1, clientHeight_ = -1, left_ = -1, top_ = -1;
    int boundsLeft_ = -1, boundsRight_ = -1, boundsTop_ = -1, boundsBottom_ = -1;
    bool boundsOn_ = false;
    int savedRight_ = -1, savedBottom_ = -1; // the bounds as given, widened again after a resize
    int minWidth_ = -1, maxWidth_ = -1, minHeight_ = -1, maxHeight_ = -1;
    bool limitsOn_ = false;
};

// Clamps a proposed window rectangle (WM_MOVING) into the bounds, keeping its
// size.
RECT clampMoving(RECT proposed, int width, int height, const WindowSubclass::Bounds& bounds);

} // namespace corvina
