#include "MainWindow.h"

#include "LaunchArguments.h"
#include "PlayerGeometry.h"
#include "ProcessObjects.h"
#include "Resources.h"
#include "UiEngine.h"
#include "TextConvert.h"
#include "WaitPumping.h"

#include <windowsx.h>

#include <utility>

namespace corvina {
namespace {

// Posted to check the stacking once the current message is done, and to
// show the followers once a restored window is back on screen.
constexpr UINT kKeepStackingMessage = WM_APP + 21;
constexpr UINT kShowFollowersMessage = WM_APP + 22;
// Wine's exposure move comes some time after a change of size and tells
// nobody: the check runs a few times more in the second after one.
constexpr UINT_PTR kStackingTimer = 0x5354;
constexpr UINT kStackingTimerMs = 250;
constexpr int kStackingChecks = 4;

// Wine without a window manager shows the windows in an order that can differ
// from the z-order it reports; Windows keeps the two the same, so a restack
// there would only make the followers blink.
bool screenOrderMayDiffer() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// True when `upper` lies above `lower` in the z-order.
bool above(HWND upper, HWND lower) {
    for (HWND h = GetWindow(lower, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV))
        if (h == upper)
            return true;
    return false;
}

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
    layoutFollowersAt(screenRect());
}

void MainWindow::layoutFollowersAt(const RECT& m) const {
    const ProcessObjects& app = processObjects();
    if (app.player.fullScreen())
        return; // the picture and the bar cover the screen until full screen ends
    const int width = m.right - m.left, height = m.bottom - m.top;
    HWND bar = app.controlBarWindow.hwnd();
    if (bar) {
        const int barHeight = windowHeight(bar);
        placeWindow(bar, m.left + 5, m.top + height - 5 - barHeight, width - 10, barHeight, true);
    }
    placeWindow(app.videoWindow.hwnd(), m.left + 6, m.top + kTitleHeight, width - 12, height - 32, true);
}

void MainWindow::keepStacking(bool restack) {
    stackingCheckPosted_ = false;
    restack = restack && screenOrderMayDiffer();
    const ProcessObjects& app = processObjects();
    HWND video = app.videoWindow.hwnd(), bar = app.controlBarWindow.hwnd(), adjust = app.previewWindow.hwnd();
    if (minimised_ || !video || !IsWindowVisible(video))
        return;
    auto visible = [](HWND h) { return h && IsWindowVisible(h); };
    const bool barShown = visible(bar), adjustShown = barShown && visible(adjust);
    constexpr UINT kInPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    const bool videoAndBarRight = above(video, hwnd()) && (!barShown || above(bar, video));
    if (!restack && videoAndBarRight) {
        // The adjustment window owns nothing: raised, it is the topmost
        // window, and the screen shows it so too.
        if (adjustShown && !above(adjust, bar))
            SetWindowPos(adjust, HWND_TOP, 0, 0, 0, 0, kInPlace);
        return;
    }
    // Wine shows a window above the others only when it becomes the topmost
    // visible one, and the windows VideoWindow owns always go above it. So
    // they leave the screen for a moment: VideoWindow is raised alone, then
    // each owned window shows again above its owner, bottom up.
    if (adjustShown)
        ShowWindow(adjust, SW_HIDE);
    if (barShown)
        ShowWindow(bar, SW_HIDE);
    SetWindowPos(video, HWND_TOP, 0, 0, 0, 0, kInPlace);
    // Shown again, a window keeps its old place in the z-order; it goes to
    // the top, where the screen already shows it.
    for (HWND owned : {barShown ? bar : nullptr, adjustShown ? adjust : nullptr}) {
        if (owned) {
            ShowWindow(owned, SW_SHOWNOACTIVATE);
            SetWindowPos(owned, HWND_TOP, 0, 0, 0, 0, kInPlace);
        }
    }
}

void MainWindow::watchStacking() {
    stackingChecksLeft_ = kStackingChecks;
    if (hwnd())
        SetTimer(hwnd(), kStackingTimer, kStackingTimerMs, nullptr);
}

void MainWindow::checkStackingSoon(bool restack) {
    restackPosted_ = restackPosted_ || restack;
    if (!stackingCheckPosted_ && hwnd())
        stackingCheckPosted_ = PostMessageW(hwnd(), kKeepStackingMessage, 0, 0) != FALSE;
}

void MainWindow::showFollowers(bool show) {
    ProcessObjects& app = processObjects();
    if (!show) {
        // Top first, so that each one's owner is still there when it goes.
        for (HWND follower : {app.previewWindow.hwnd(), app.openDialog.hwnd(), app.controlBarWindow.hwnd(),
                              app.videoWindow.hwnd()}) {
            if (follower && IsWindowVisible(follower)) {
                ShowWindow(follower, SW_HIDE);
                hiddenFollowers_.push_back(follower);
            }
        }
        return;
    }
    // Owners before what they own, as at start.
    for (auto it = hiddenFollowers_.rbegin(); it != hiddenFollowers_.rend(); ++it)
        if (IsWindow(*it))
            ShowWindow(*it, SW_SHOWNOACTIVATE);
    hiddenFollowers_.clear();
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
    case kShowFollowersMessage:
        if (!minimised_)
            showFollowers(true);
        return 0;
    case kKeepStackingMessage:
        keepStacking(std::exchange(restackPosted_, false));
        return 0;
    case WM_NCPAINT:
        // Wine repaints a window the X server shows as uncovered, and first
        // moves it above the windows that cover that area in the z-order,
        // its own followers included; they go back above it here.
        checkStackingSoon();
        return PlainWindow::handleMessage(message, wParam, lParam);
    case kStatusTextMessage:
        if (const std::unique_ptr<std::string> text = takeStatusText(lParam))
            processObjects().player.bar().statusLine().text(*text);
        return 0;
    case WM_WINDOWPOSCHANGING: {
        const LRESULT result = PlainWindow::handleMessage(message, wParam, lParam);
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        // The followers go to their new places before this window changes.
        // Done after it, the window system sees this window's new area
        // uncovered for a moment, and Wine then raises it above the
        // windows it owns, which stay under it.
        if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) && !IsIconic(hwnd()) &&
            !(GetWindowLongW(hwnd(), GWL_STYLE) & WS_MINIMIZE)) {
            const RECT now = screenRect();
            RECT next = now;
            if (!(pos->flags & SWP_NOMOVE))
                OffsetRect(&next, pos->x - now.left, pos->y - now.top);
            if (!(pos->flags & SWP_NOSIZE)) {
                next.right = next.left + pos->cx;
                next.bottom = next.top + pos->cy;
            }
            layoutFollowersAt(next);
        }
        return result;
    }
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        // A minimise takes the followers along; a restore brings them back.
        if (const bool iconic = IsIconic(hwnd()) != FALSE; iconic != minimised_) {
            minimised_ = iconic;
            if (iconic)
                showFollowers(false);
            else // once this window is back on screen, so that they come above it
                PostMessageW(hwnd(), kShowFollowersMessage, 0, 0);
        }
        if (minimised_)
            return PlainWindow::handleMessage(message, wParam, lParam);
        // A resize lays the followers out through the host's layout callback.
        if (!(pos->flags & SWP_NOSIZE) && !processObjects().mainHost.hwnd())
            layoutFollowers();
        // The dialog docks at the right edge, which a resize moves too.
        if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
            followMove();
        checkStackingSoon();
        watchStacking();
        return PlainWindow::handleMessage(message, wParam, lParam);
    }
    case WM_TIMER:
        if (wParam != kStackingTimer)
            return PlainWindow::handleMessage(message, wParam, lParam);
        // The last check restacks in any case: the screen's order can be
        // wrong where the z-order is right, and nothing tells which.
        if (--stackingChecksLeft_ <= 0)
            KillTimer(hwnd(), kStackingTimer);
        keepStacking(stackingChecksLeft_ <= 0);
        return 0;
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
