#include "ProcessObjects.h"

#include "UiEngine.h"

#include "EngineImage.h"
#include "ProtocolRegistration.h"
#include "ServiceHosts.h"
#include "SubtitleNames.h"
#include "TextConvert.h"
#include "ProgramPath.h"
#include "Resources.h"
#include "WaitPumping.h"

#include <commctrl.h>

#include <memory>

namespace corvina {
namespace {

ProcessObjects* g_objects = nullptr; // set for the life of runProgram

} // namespace

ProcessObjects& processObjects() {
    return *g_objects;
}

void ProcessObjects::registerProtocol() {
    corvina::registerProtocol(wideToGbk(programPathW()));
}

OpenDialogActions ProcessObjects::openDialogActions() {
    OpenDialogActions actions;
    actions.playStream = [this](const std::string& url, const std::string& cookie) {
        online->playStream(url, cookie);
    };
    actions.startSearch = [this] { online->startSearch(); };
    actions.continueLastPlayback = [this] { online->continueLastPlayback(); };
    actions.resolveByAltServer = [this] { online->resolveByAltServer(); };
    return actions;
}

void ProcessObjects::handleLaunchArgument(const std::string& argument) {
    online->handleLaunchArgument(argument);
}

void ProcessObjects::endOnlineWork() {
    onlineHost.close();
    if (online && !online->stop(500))
        ExitProcess(0);
}

void ProcessObjects::hideWebView() {
    videoWindow.hideWebView();
}

int ProcessObjects::listIndex() {
    return online->listIndex();
}

int ProcessObjects::rowCount() {
    return openDialog.rowCount();
}

bool ProcessObjects::rowIsSubtitle(int row) {
    return engine::isSubtitleFile(gbkToWide(openDialog.cell(row, 1)));
}

void ProcessObjects::playRow(int row) {
    openDialog.selectRow(row);
    online->playSelectedRow();
}

void ProcessObjects::showFileList() {
    if (openDialog.loaded())
        ShowWindow(openDialog.hwnd(), SW_SHOW);
    else
        (void)openDialog.load(nullptr, openDialogActions());
}

void ProcessObjects::openPictureAdjustment() {
    if (!previewWindow.loaded() &&
        !previewWindow.load(controlBarWindow.hwnd(), engine.window() ? engine.window() : videoWindow.hwnd(),
                            loadResourceBytes(kFrameResource)))
        return;
    previewWindow.showCentred();
}

void ProcessObjects::placeForFullScreen(bool on) {
    mainWindow.placeForFullScreen(on);
}

void ProcessObjects::startHoldTimer() {
    SetTimer(videoWindow.hwnd(), VideoWindow::kHoldTimer, 200, nullptr);
}

void ProcessObjects::stopHoldTimer() {
    KillTimer(videoWindow.hwnd(), VideoWindow::kHoldTimer);
}

void ProcessObjects::beginMainWindowMove() {
    // From where the pointer is, so the window does not jump to it.
    POINT p{};
    GetCursorPos(&p);
    SendMessageW(mainWindow.hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
}

int ProcessObjects::historyTick(int state, int position) {
    return online->stateTick(state, position);
}

void ProcessObjects::setBarOpacity(int alpha) {
    controlBarHost.setOpacity(alpha);
}

void ProcessObjects::showBar(bool visible) {
    ShowWindow(controlBarWindow.hwnd(), visible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

int ProcessObjects::barTop() {
    return controlBarWindow.screenRect().top;
}

int ProcessObjects::pointerY() {
    POINT p{};
    GetCursorPos(&p);
    return p.y;
}

void ProcessObjects::waitPumping(int milliseconds) {
    corvina::waitPumping(milliseconds);
}

int runProgram() {
    // 1-2: construct every object; the end routine is this scope's exit.
    auto objects = std::make_unique<ProcessObjects>();
    g_objects = objects.get();

    // 3: the engine library next to the program, written only when missing,
    // and so the decoding libraries it loads and their licence texts.
    auto install = [](const wchar_t* resource, const wchar_t* fileName) {
        const std::wstring path = programDirectoryW() + L"\\" + fileName;
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return; // never replaced: a user may have put another build there
        const std::vector<uint8_t> image = loadResourceBytes(resource);
        installEngineLibrary(path, image.data(), image.size());
    };
    install(kEngineImageResource, L"APlayerCaller.dll");
    for (size_t i = 0; i < kCarriedFileCount; ++i)
        install(kCarriedFiles[i].resource, kCarriedFiles[i].fileName);

    // 4-5: GDI+, the UI engine's window class and switches, the common controls.
    objects->gdiplus.startup();
    uiEngine().start();
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // 6: the skin for standard windows, skin 5 turned by -170 degrees; the
    // glass effect only when the skin could be attached.
    if (objects->skin.attach(5, -170))
        objects->skin.setAero(true);

    objects->online = std::make_shared<OnlineController>(
        objects->onlineHost, ServiceEndpoints{indexHost(), resolveHost(), codeHost()},
        PlayHistory(programDirectoryW()));

    // 7: MainWindow, then the message loop.
    int exitCode = 1;
    if (objects->mainWindow.load()) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        exitCode = 0;
    }
    // Whatever ended the loop, the online workers are done before anything
    // they use is destroyed.
    objects->endOnlineWork();
    // The loop has ended, nothing draws text any more: the shared drawing
    // objects go before the objects (and GDI+ with them).
    uiEngine().stop();
    objects.reset();
    g_objects = nullptr;
    return exitCode;
}

} // namespace corvina
