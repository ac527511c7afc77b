// Everything that lives for the whole process: created together at start,
// destroyed together by the end routine (never by a title-bar close, which
// ends the process at once).
#pragma once

#include "EngineCallbacks.h"
#include "EngineConfig.h"
#include "AppOnlineHost.h"
#include "GdiplusSession.h"
#include "MainWindow.h"
#include "OnlineController.h"
#include "OpenDialog.h"
#include "Player.h"
#include "PlayerEngine.h"
#include "PreviewWindow.h"
#include "Skin.h"
#include "VideoWindow.h"
#include "WindowHost.h"

#include <memory>
#include <string>
#include <vector>

namespace corvina {

struct ProcessObjects : PlayerShell, EngineEventSink {
    // Declared first, destroyed last: the windows and the engine go before it.
    GdiplusSession gdiplus;
    PlayerEngine engine;
    EngineConfig engineSettings; // the standalone one, bound when VideoWindow is created
    EngineEventRouter engineEvents; // bound to VideoWindow with the engine
    Skin skin;                      // the standard windows' theme

    // resumePending, listIndex, pendingStatus and currentInfoHash live in the
    // online controller, which worker threads share; fullscreenOn, barHidden
    // and fadeSerial in the player; the UI engine's two switches with it
    // (uiEngine()).
    std::vector<std::string> launchArguments;

    // The hosts outlive their windows; each is attached once, when its window is made.
    WindowHost mainHost;
    WindowHost controlBarHost;
    WindowHost previewHost;

    MainWindow mainWindow;
    VideoWindow videoWindow;
    ControlBarWindow controlBarWindow;
    OpenDialog openDialog;
    PreviewWindow previewWindow{previewHost, engine,
                                [this](int item, const std::string& value) { engine.setConfig(item, value); }};
    // After the hosts and windows: its controls leave the hosts first.
    Player player{engine, engineSettings, *this};

    AppOnlineHost onlineHost{openDialog, engine};
    std::shared_ptr<OnlineController> online;

    // The online workers stopped (bounded): first step of every end.
    void endOnlineWork();

    // Steps of MainWindow's created step that the online side and the
    // dialog carry out.
    void registerProtocol();
    OpenDialogActions openDialogActions();
    void handleLaunchArgument(const std::string& argument);

    // The player's view of the windows and the online side.
    void hideWebView() override;
    int listIndex() override;
    int rowCount() override;
    bool rowIsSubtitle(int row) override;
    void playRow(int row) override;
    void showFileList() override;
    void openPictureAdjustment() override;
    void placeForFullScreen(bool on) override;
    void startHoldTimer() override;
    void stopHoldTimer() override;
    void beginMainWindowMove() override;
    int historyTick(int state, int position) override;
    void setBarOpacity(int alpha) override;
    void showBar(bool visible) override;
    int barTop() override;
    int pointerY() override;
    void waitPumping(int milliseconds) override;

    // The engine's callbacks, on the window thread.
    void engineMessage(UINT message, WPARAM wParam, LPARAM lParam) override { player.engineMessage(message, wParam, lParam); }
    void buffering(int percent) override { player.buffering(percent); }
    void missingDecoder(const std::string& name) override { showMissingDecoder(name); }
};

// The process's objects; valid from start-up to the end routine.
ProcessObjects& processObjects();

// Start-up in order, the message loop, the end routine. Returns the exit code.
int runProgram();

} // namespace corvina
