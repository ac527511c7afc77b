// The window over MainWindow's inner area that holds the engine's video
// window, and the control bar floating over its bottom.
#pragma once

#include "PlainWindow.h"

#include <string>

namespace corvina {

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
