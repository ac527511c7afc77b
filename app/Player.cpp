#include "Player.h"

#include "PlayerGeometry.h"

#include <cstdlib>

namespace corvina {
namespace {

constexpr int kOpening = 1;
constexpr int kBuffering = 3;
constexpr int kPlaying = 5;
// A movie last seen this close to its end, then idle, has played to its end
// (the tick sees the position once a second).
constexpr int kEndSlackMs = 2000;

// The button offers pause while a movie plays or is on its way to playing.
bool underWay(int state) {
    return state == kPlaying || state == kOpening || state == kBuffering;
}

// An engine item that holds a byte count, which may pass 2^31.
int64_t byteCount(const EngineConfig& settings, int item) {
    return std::strtoll(settings.get(item).c_str(), nullptr, 10);
}

} // namespace

void Player::createControls(Endpoint* barHost, Endpoint* mainHost, int barWidth, int barHeight) {
    ControlBar::Handlers handlers;
    handlers.command = [this](int code) { runCommand(code); };
    handlers.seek = [this](int value) { engine_.seek(value); };
    handlers.volume = [this](int value) { engine_.setVolume(value); };
    bar_.create(barHost, mainHost, barWidth, barHeight, std::move(handlers));
}

void Player::runCommand(int code) {
    switch (code) {
    case kPlayPause: {
        const bool playing = engine_.state() == kPlaying;
        bar_.showPlaying(!playing);
        shell_.hideWebView();
        if (playing)
            engine_.pause();
        else
            engine_.play();
        return;
    }
    case kPrevious:
    case kNext: {
        // Only a movie of the list: the first has no previous, the last no
        // next, and subtitle rows are passed over.
        const int row = neighbourMovieRow(shell_.listIndex(), code == kPrevious ? -1 : 1, shell_.rowCount(),
                                          [this](int r) { return shell_.rowIsSubtitle(r); });
        if (row >= 0)
            shell_.playRow(row);
        return;
    }
    case kStop:
        engine_.close();
        shown_ = {}; // stopped, not ended: the bar keeps where it was
        bar_.showPlaying(false); // nothing plays: the button offers play again
        return;
    case kMute: {
        const bool muted = settings_.item12();
        bar_.button(kMute).textProperty(muted ? std::string() : std::string(kMutedMark));
        settings_.setItem12(!muted);
        return;
    }
    case kFileList:
        shell_.showFileList();
        return;
    case kFullScreen:
        if (engine_.state() != 0 || fullScreenOn_)
            toggleFullScreen();
        return;
    case kPictureAdjust:
        shell_.openPictureAdjustment();
        return;
    default:
        return;
    }
}

void Player::toggleFullScreen() {
    fullScreenOn_ = !fullScreenOn_;
    // A fade running inside a wait gives up: the windows change under it.
    ++fadeSerial_;
    if (!fullScreenOn_) {
        // Whatever a fade left, the bar is whole again outside full screen.
        shell_.setBarOpacity(255);
        barHidden_ = false;
        shell_.showBar(true);
    }
    shell_.placeForFullScreen(fullScreenOn_);
}

void Player::stateTick() {
    const int state = engine_.state();
    if (state == 0) {
        showIdle();
        return;
    }
    const int duration = engine_.duration();
    TrackBar& seek = bar_.seekBar();
    seek.setBufferedValue(bufferedMark(duration, byteCount(settings_, 29), byteCount(settings_, 5)));
    // A drag of the seek bar is the user's; the tick does not move it meanwhile.
    if (!seek.dragging()) {
        seek.maximum(duration);
        seek.value(engine_.position()); // draws, without the change event
    }
    const std::string durationText = engine_.durationText();
    bar_.timeDisplay().text(timeDisplayText(engine_.positionText(), durationText));
    const int now = engine_.state();
    // Playback started or ended elsewhere (the list, the end of the movie):
    // the button follows.
    if (underWay(now) != bar_.showsPlaying())
        bar_.showPlaying(underWay(now));
    shown_ = {true, duration, engine_.position(), durationText};
    const int resumeAt = shell_.historyTick(now, engine_.position());
    if (resumeAt >= 0)
        engine_.seek(resumeAt);
}

void Player::showIdle() {
    if (bar_.showsPlaying())
        bar_.showPlaying(false);
    if (!shown_.open)
        return;
    // Played to its end: the seek bar and the time show the end, not the
    // last tick's moment before it.
    const Shown last = shown_;
    shown_ = {};
    if (last.duration <= 0 || last.position < last.duration - kEndSlackMs)
        return;
    TrackBar& seek = bar_.seekBar();
    if (!seek.dragging()) {
        seek.maximum(last.duration);
        seek.value(last.duration);
    }
    bar_.timeDisplay().text(timeDisplayText(last.durationText, last.durationText));
}

void Player::handleKey(WPARAM key) {
    if (engine_.state() == 0)
        return;
    TrackBar& volume = bar_.volumeBar();
    TrackBar& seek = bar_.seekBar();
    switch (key) {
    case VK_SPACE:
        runCommand(kPlayPause);
        break;
    case VK_UP:
        volume.value(volume.value() + kVolumeStep, true);
        break;
    case VK_DOWN:
        volume.value(volume.value() - kVolumeStep, true);
        break;
    case VK_RIGHT:
        seek.value(seek.value() + kSeekStep, true);
        break;
    case VK_LEFT:
        seek.value(seek.value() - kSeekStep, true);
        break;
    default:
        break;
    }
}

void Player::engineMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_KEYDOWN:
        handleKey(wParam);
        break;
    case WM_LBUTTONDOWN:
        shell_.startHoldTimer();
        break;
    case WM_LBUTTONUP:
        shell_.stopHoldTimer();
        runCommand(kPlayPause);
        break;
    case WM_LBUTTONDBLCLK:
        runCommand(kFullScreen);
        break;
    default:
        break;
    }
}

void Player::buffering(int percent) { bar_.timeDisplay().text(bufferingText(percent)); }

void Player::holdTick() {
    // Stopped first: the move loop is modal, and a live timer would fire in
    // it and start moves inside the move.
    shell_.stopHoldTimer();
    if (!fullScreenOn_)
        shell_.beginMainWindowMove();
}

void Player::fadeTick() {
    if (!fullScreenOn_) {
        if (barHidden_)
            shell_.showBar(true);
        return;
    }
    const int y = shell_.pointerY(), top = shell_.barTop();
    if (y > top && barHidden_)
        fade(true);
    else if (y <= top && !barHidden_)
        fade(false);
}

void Player::fade(bool in) {
    const int serial = ++fadeSerial_;
    barHidden_ = !in;
    if (in)
        shell_.showBar(true);
    for (int step = 1; step <= 10; ++step) {
        shell_.setBarOpacity(fadeOpacity(step, in));
        shell_.waitPumping(10);
        // A newer fade (or a change of full screen) took over during the wait.
        if (fadeSerial_ != serial)
            return;
    }
    if (!in)
        shell_.showBar(false);
}

} // namespace corvina
