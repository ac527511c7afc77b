// The controls of the skinned bar over the bottom of the picture: play/pause,
// previous, next, stop, mute with its volume bar, the seek bar, the time
// display and four small buttons on the right; also the main window's status
// line. Lays them out on every resize of the bar.
#pragma once

#include "ControlBarStrips.h"
#include "ImageButton.h"
#include "PlayerGeometry.h"
#include "TextLabel.h"
#include "TrackBar.h"

#include <array>
#include <functional>

namespace corvina {

// Button tags: the command each one runs.
enum Command { kPlayPause = 1, kPrevious, kNext, kStop, kMute, kFileList, kFullScreen, kPictureAdjust, kSound };

class ControlBar {
  public:
    struct Handlers {
        std::function<void(int command)> command; // a button's click
        std::function<void(int value)> seek;      // the seek bar's new value
        std::function<void(int value)> volume;    // the volume bar's new value
    };

    // Makes every control on `barHost` and the status line on `mainHost`
    // (either may be null: its controls are then missing). The bar is laid
    // out for `width` x `height`.
    void create(Endpoint* barHost, Endpoint* mainHost, int width, int height, Handlers handlers);
    void layout(int width, int height);
    // The play/pause button shows the pause strip while playing.
    void showPlaying(bool playing);
    bool showsPlaying() const { return showsPlaying_; }

    ImageButton& button(int command) { return buttons_[static_cast<size_t>(command - 1)]; }
    TrackBar& seekBar() { return seekBar_; }
    TrackBar& volumeBar() { return volumeBar_; }
    TextLabel& timeDisplay() { return timeDisplay_; }
    TextLabel& statusLine() { return statusLine_; }

  private:
    std::array<ImageButton, 9> buttons_;
    TrackBar seekBar_;
    TrackBar volumeBar_;
    TextLabel timeDisplay_;
    TextLabel statusLine_;
    std::array<TextLabel, 2> counters_;
    Handlers handlers_;
    bool showsPlaying_ = false;
};

// The frames of a strip: `count` squares of `size`, `gap` pixels apart.
std::vector<Rect> stripFrames(int size, int count, int gap);
std::vector<uint8_t> stripBytes(Strip strip);

} // namespace corvina
