// The main window: frame and title bar. VideoWindow, ControlBarWindow and the
// open dialog follow it when it moves or changes size.
#pragma once

#include "PlainWindow.h"

#include <string>
#include <vector>

namespace corvina {

class MainWindow : public PlainWindow {
  public:
    static constexpr int kWidth = 858;
    static constexpr int kHeight = 496;
    static constexpr int kMinWidth = 770;
    static constexpr int kMinHeight = 480;
    static constexpr int kTitleHeight = 26;

    // Creates the window (hidden) and runs its created step.
    [[nodiscard]] bool load();

    // The layout callback: VideoWindow and ControlBarWindow over the frame.
    void layoutFollowers() const;
    // The same for the window at `rect` (screen coordinates).
    void layoutFollowersAt(const RECT& rect) const;
    // Position-only follow, plus the open dialog's dock; in full screen only
    // the dialog follows.
    void followMove() const;
    // VideoWindow over the whole screen with the bar along its bottom, or
    // both back over this window.
    void placeForFullScreen(bool on) const;
    // Checks the set's stacking once the current message is done (after
    // anything that may have raised one of its windows out of order); with
    // `restack`, restacks it in any case where the screen's order may differ
    // from the z-order.
    void checkStackingSoon(bool restack = false);
    // Checks it a few times more in the next second: Wine changes the
    // z-order some time after a change, and tells nobody.
    void watchStacking();

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void createdStep();
    void attachHost();
    // Hides the followers that show (minimise), or shows again those it hid.
    void showFollowers(bool show);
    // VideoWindow above this window, the bar above VideoWindow and the
    // adjustment window above the bar, put right where they are not, or
    // in any case with `restack`.
    void keepStacking(bool restack);
    bool stackingCheckPosted_ = false;
    bool restackPosted_ = false;
    int stackingChecksLeft_ = 0;
    bool activatedOnce_ = false;
    bool minimised_ = false;
    std::vector<HWND> hiddenFollowers_; // the top one first
};

// Ends the process at once, as the title bar's close button does: no end
// routine runs and the engine is not shut down.
[[noreturn]] void terminateProcessNow();

} // namespace corvina
