// The window over MainWindow's inner area that holds the engine's video
// window, and the control bar floating over its bottom.
#pragma once

#include "PlainWindow.h"

#include <string>

namespace corvina {

// The engine's callbacks, posted to VideoWindow when they arrive on another
// thread: lParam owns an EngineEvent (message) or a std::string (missing
// decoder); wParam is the percent (buffering).
inline constexpr UINT kEngineMessageEvent = WM_APP + 30;
inline constexpr UINT kEngineBufferingEvent = WM_APP + 31;
inline constexpr UINT kEngineMissingDecoderEvent = WM_APP + 32;
struct EngineEvent {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class VideoWindow : public PlainWindow {
  public:
    static constexpr int kWidth = 643;
    static constexpr int kHeight = 247;
    static constexpr UINT_PTR kStateTimer = 1; // "当前播放状态", 1000 ms
    static constexpr UINT_PTR kHoldTimer = 2;  // "全屏消息", 200 ms after a press on the picture
    static constexpr int kWebViewWidth = 560;
    static constexpr int kWebViewHeight = 136;

    // Creates the window owned by `owner` and binds the engine inside it.
    [[nodiscard]] bool load(HWND owner);
    void hideWebView();
    HWND webView() const { return webView_; }

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void bindEngine();
    HWND webView_ = nullptr;
};

class ControlBarWindow : public PlainWindow {
  public:
    static constexpr int kWidth = 380;
    static constexpr int kHeight = 51;
    static constexpr UINT_PTR kFadeTimer = 1; // "播放栏自动上下", 100 ms

    // Creates the window owned by `owner`, attaches its host and makes the
    // bar's controls (and the main window's status line) on it.
    [[nodiscard]] bool load(HWND owner);

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

} // namespace corvina
