// Everything that lives for the whole process: created together at start,
// destroyed together by the end routine (never by a title-bar close, which
// ends the process at once).
#pragma once

#include "EngineConfig.h"
#include "AppOnlineHost.h"
#include "GdiplusSession.h"
#include "MainWindow.h"
#include "OnlineController.h"
#include "OpenDialog.h"
#include "PlayerEngine.h"
#include "TextLabel.h"
#include "VideoWindow.h"
#include "WindowHost.h"

#include <memory>
#include <string>
#include <vector>

namespace corvina {

struct ProcessObjects {
    // Declared first, destroyed last: the windows and the engine go before it.
    GdiplusSession gdiplus;
    PlayerEngine engine;
    EngineConfig engineSettings; // the standalone one, bound when VideoWindow is created

    // resumePending, listIndex, pendingStatus and currentInfoHash live in the
    // online controller, which worker threads share.
    int fullscreenOn = 0;
    std::vector<std::string> launchArguments;
    int barHidden = 0;
    int fadeSerial = 0;
    // The UI engine's two switches live with it (uiEngine()).

    // The hosts outlive their windows; each is attached once, when its window is made.
    WindowHost mainHost;
    WindowHost controlBarHost;
    WindowHost previewHost;

    MainWindow mainWindow;
    VideoWindow videoWindow;
    ControlBarWindow controlBarWindow;
    OpenDialog openDialog;
    TextLabel statusLine; // on MainWindow's title bar

    AppOnlineHost onlineHost{openDialog, engine};
    std::shared_ptr<OnlineController> online;

    // Steps of MainWindow's created step that belong to other parts.
    void registerProtocol();
    OpenDialogActions openDialogActions();
    void handleLaunchArgument(const std::string& argument);

    // The state timer and the engine's callbacks.
    void stateTimerTick();
    void engineMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void bufferingReport(int percent);
};

// The process's objects; valid from start-up to the end routine.
ProcessObjects& processObjects();

// Start-up in order, the message loop, the end routine. Returns the exit code.
int runProgram();

} // namespace corvina
