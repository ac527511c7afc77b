#include "MainWindow.h"

#include "LaunchArguments.h"
#include "PlayerGeometry.h"
#include "ProcessObjects.h"
#include "Resources.h"
#include "UiEngine.h"
#include "TextConvert.h"
#include "WaitPumping.h"

#include <windowsx.h>

namespace corvina {
namespace {

void placeWindow(HWND hwnd, int x, int y, int width, int height, bool withSize) {
    if (hwnd)
        SetWindowPos(hwnd, nullptr, x, y, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | (withSize ? 0 : SWP_NOSIZE));
}

int windowHeight(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}

} // namespace

[[noreturn]] void terminateProcessNow() {
    // By the process id, as the process would be ended from outside.
    HANDLE self = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
    TerminateProcess(self ? self : GetCurrentProcess(), 0);
    ExitProcess(0); // not reached
}

bool MainWindow::load() {
    // With the open dialog docked at its right, where the pair fits.
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const POINT at = mainWindowStart(work, kWidth, kHeight, OpenDialog::kWidth, OpenDialog::kHeight);
    if (!createWindow(0, L"Corvina",
                      WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN, at.x, at.y,
                      kWidth, kHeight, nullptr))
        return false;
    createdStep();
    return true;
}

void MainWindow::createdStep() {
    ProcessObjects& app = processObjects();
    app.registerProtocol();
    uiEngine().windowIconInTitle = false;
    attachHost();
    app.onlineHost.attach(hwnd());

    // A window that fails to come up leaves the others working; nothing is reported.
    (void)app.videoWindow.load(hwnd());
    (void)app.controlBarWindow.load(app.videoWindow.hwnd());
    if (app.openDialog.load(hwnd(), app.openDialogActions())) {
        app.openDialog.dock(hwnd());
        // The dialog's own created step ends with skin 1 on its controls.
        if (app.skin.attach(1, 0)) {
            app.skin.setAero(true);
            app.skin.themeTree(app.openDialog.hwnd());
        }
    }
    layoutFollowers();

    waitPumping(100);

    app.launchArguments = splitArguments(textAfterProgramName(wideToGbk(GetCommandLineW())));
    if (!app.launchArguments.empty())
        app.handleLaunchArgument(app.launchArguments.front());

    // VideoWindow before the bar it owns: an owned window shown while its
    // owner is still hidden leaves the owner unpainted on some window systems
    // (Wine).
    ShowWindow(hwnd(), SW_SHOW);
    ShowWindow(app.videoWindow.hwnd(), SW_SHOWNOACTIVATE);
    ShowWindow(app.controlBarWindow.hwnd(), SW_SHOWNOACTIVATE);
    ShowWindow(app.openDialog.hwnd(), SW_SHOWNOACTIVATE);
}

void MainWindow::attachHost() {
    ProcessObjects& app = processObjects();
    WindowHost& host = app.mainHost;
    HostOptions o;
    o.backgroundColour = RGB(0, 0, 0);
    o.transparency = 255;
    o.borderStyle = 1;
    o.title = "Corvina";
    o.backgroundMode = 2;
    o.systemButtonMask = 7;
    o.buttonSkin = 0;
    o.resizable = true;
    o.frameImage = loadResourceBytes(kFrameResource);
    o.frameMargins = Margins{9, 50, 9, 9};
    Endpoint* endpoint = host.attach(hwnd(), o);
    if (!endpoint)
        return; // a plain, undrawn window still works
    host.setSizeLimits(kMinWidth, kMinHeight);
    host.setFrameInset(4);
    host.setSystemButtonOrigin(4, 4);
    host.systemButtonCallbackProperty([](Endpoint*, int kind) -> int {
        if (kind == 1)
            terminateProcessNow();
        return 0;
    });
    host.layoutCallbackProperty([this](Endpoint*) { layoutFollowers(); });
    host.redraw(true);
}

void MainWindow::layoutFollowers() const {
    const ProcessObjects& app = processObjects();
    if (app.player.fullScreen())
        return; // the picture and the bar cover the screen until full screen ends
    const RECT m = screenRect();
    const int width = m.right - m.left, height = m.bottom - m.top;
    HWND bar = app.controlBarWindow.hwnd();
    if (bar) {
        const int barHeight = windowHeight(bar);
        placeWindow(bar, m.left + 5, m.top + height - 5 - barHeight, width - 10, barHeight, true);
    }
    placeWindow(app.videoWindow.hwnd(), m.left + 6, m.top + kTitleHeight, width - 12, height - 32, true);
}

void MainWindow::followMove() const {
    ProcessObjects& app = processObjects();
    if (!app.player.fullScreen()) {
        const RECT m = screenRect();
        const int height = m.bottom - m.top;
        if (HWND bar = app.controlBarWindow.hwnd())
            placeWindow(bar, m.left + 5, m.top + height - 5 - windowHeight(bar), 0, 0, false);
        placeWindow(app.videoWindow.hwnd(), m.left + 6, m.top + kTitleHeight, 0, 0, false);
    }
    app.openDialog.dock(hwnd()); // also while hidden, and in full screen
}

void MainWindow::placeForFullScreen(bool on) const {
    const ProcessObjects& app = processObjects();
    if (!on) {
        layoutFollowers();
        return;
    }
    HWND video = app.videoWindow.hwnd(), bar = app.controlBarWindow.hwnd();
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    placeWindow(video, 0, 0, width, height, true);
    if (bar) {
        const int barHeight = windowHeight(bar);
        placeWindow(bar, -1, height - barHeight, width + 2, barHeight, true);
    }
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kStatusTextMessage:
        if (const std::unique_ptr<std::string> text = takeStatusText(lParam))
            processObjects().player.bar().statusLine().text(*text);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        // A resize lays the followers out through the host's layout callback.
        if (!(pos->flags & SWP_NOSIZE) && !processObjects().mainHost.hwnd())
            layoutFollowers();
        if (!(pos->flags & SWP_NOMOVE))
            followMove();
        return PlainWindow::handleMessage(message, wParam, lParam);
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            if (!activatedOnce_) {
                activatedOnce_ = true;
                // Never before its owner: the created step shows the bar itself
                // when the first activation comes ahead of VideoWindow.
                const ProcessObjects& app = processObjects();
                if (IsWindowVisible(app.videoWindow.hwnd()))
                    ShowWindow(app.controlBarWindow.hwnd(), SW_SHOWNOACTIVATE);
            }
        }
        return PlainWindow::handleMessage(message, wParam, lParam);
    case WM_CLOSE:
        // The end begins here, before any window goes: the online workers
        // touch no window from now on and their requests end. One still
        // running after a moment (a blocked request that the platform does
        // not cut short) would outlive what it uses: the process ends as it
        // is instead, at once and cleanly.
        processObjects().endOnlineWork();
        DestroyWindow(hwnd());
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return PlainWindow::handleMessage(message, wParam, lParam);
    }
}

} // namespace corvina
