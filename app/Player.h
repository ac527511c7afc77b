// The player's behaviour over the engine: the eight commands of the control
// bar (also run by keys and clicks on the picture), the once-a-second
// monitor that keeps the bar and the stored position current, the engine's
// callbacks, the hold on the picture that drags the main window, full screen
// and the bar's fade there. Everything runs on the window thread.
#pragma once

#include "ControlBar.h"
#include "EngineConfig.h"
#include "PlayerEngine.h"

#include <string>

namespace corvina {

// What the player needs from the program's windows and online side.
class PlayerShell {
  public:
    virtual ~PlayerShell() = default;
    virtual void hideWebView() = 0;
    // The swarm's file list: the row playing now, the number of rows,
    // playing another row (selected first), and what a row holds.
    virtual int listIndex() = 0;
    virtual int rowCount() = 0;
    virtual void playRow(int row) = 0;
    // Whether the row holds subtitles rather than a movie.
    virtual bool rowIsSubtitle(int row) = 0;
    virtual void showFileList() = 0;
    virtual void openPictureAdjustment() = 0;
    // Windows in or out of full screen (the player has set its flags first).
    virtual void placeForFullScreen(bool on) = 0;
    // The 200 ms hold timer on the picture, and the move of the main window
    // that a hold starts.
    virtual void startHoldTimer() = 0;
    virtual void stopHoldTimer() = 0;
    virtual void beginMainWindowMove() = 0;
    // The history's part of the monitor tick: the position to seek to when a
    // resume is due, else -1.
    virtual int historyTick(int state, int position) = 0;
    // The bar window in full screen: its opacity, visibility and top edge,
    // the pointer's screen y, and a wait that keeps dispatching messages.
    virtual void setBarOpacity(int alpha) = 0;
    virtual void showBar(bool visible) = 0;
    virtual int barTop() = 0;
    virtual int pointerY() = 0;
    virtual void waitPumping(int milliseconds) = 0;
};

class Player {
  public:
    static constexpr int kSeekStep = 3000; // ms, left and right keys
    static constexpr int kVolumeStep = 5;

    Player(PlayerEngine& engine, const EngineConfig& settings, PlayerShell& shell)
        : engine_(engine), settings_(settings), shell_(shell) {}

    // The bar's controls on its host, the status line on the main window's.
    void createControls(Endpoint* barHost, Endpoint* mainHost, int barWidth, int barHeight);
    ControlBar& bar() { return bar_; }

    // Codes 1..8; any other does nothing.
    void runCommand(int code);
    // The state timer's tick (every second).
    void stateTick();
    // Key-down on the picture or a host: space, arrows.
    void handleKey(WPARAM key);
    // The engine's callbacks.
    void engineMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void buffering(int percent);
    // The hold timer's tick: the main window starts moving with the pointer.
    void holdTick();
    // The fade timer's tick (every 100 ms): in full screen the bar fades out
    // when the pointer leaves it upwards and in when it comes back down.
    void fadeTick();

    bool fullScreen() const { return fullScreenOn_; }
    bool barHidden() const { return barHidden_; }

  private:
    // What the last tick showed of an open movie.
    struct Shown {
        bool open = false;
        int duration = 0, position = 0;
        std::string durationText;
    };

    void toggleFullScreen();
    // The tick with nothing open: the button offers play, and a movie that
    // has just played to its end shows its end.
    void showIdle();
    void fade(bool in);

    PlayerEngine& engine_;
    const EngineConfig& settings_;
    PlayerShell& shell_;
    ControlBar bar_;
    bool fullScreenOn_ = false;
    bool barHidden_ = false;
    int fadeSerial_ = 0;
    Shown shown_;
};

// "×" (GBK): the mute button's text while the sound is off.
inline constexpr char kMutedMark[] = "\xA1\xC1";

} // namespace corvina
