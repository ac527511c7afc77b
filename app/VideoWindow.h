// The window over MainWindow's inner area that holds the engine's video window.
#pragma once

#include "PlainWindow.h"

namespace corvina {

class VideoWindow : public PlainWindow {
  public:
    static constexpr int kWidth = 643;
    static constexpr int kHeight = 247;
    static constexpr UINT_PTR kStateTimer = 1; // "当前播放状态", 1000 ms

    // Creates the window owned by `owner` and binds the engine inside it.
    [[nodiscard]] bool load(HWND owner);

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void bindEngine();
};

class ControlBarWindow : public PlainWindow {
  public:
    static constexpr int kWidth = 380;
    static constexpr int kHeight = 51;

    [[nodiscard]] bool load(HWND owner);
};

} // namespace corvina
