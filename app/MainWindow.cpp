#include "MainWindow.h"

#include "LaunchArguments.h"
#include "ProcessObjects.h"
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
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    if (!createWindow(0, L"Corvina",
                      WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN,
                      x > 0 ? x : 0, y > 0 ? y : 0, kWidth, kHeight, nullptr))
        return false;
    createdStep();
    return true;
}

void MainWindow::createdStep() {
    ProcessObjects& app = processObjects();
    app.registerProtocol();
    app.windowIconInTitle = false;
    // The frame of this window is its own painting (below); the status line
    // sits on the title bar and lets the mouse through.
    app.statusLine = CreateWindowExW(WS_EX_TRANSPARENT, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 150,
                                     7, 400, 16, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    app.onlineHost.attach(hwnd(), app.statusLine);

    // A window that fails to come up leaves the others working; nothing is reported.
    (void)app.videoWindow.load(hwnd());
    (void)app.controlBarWindow.load(app.videoWindow.hwnd());
    if (app.openDialog.load(hwnd(), app.openDialogActions()))
        app.openDialog.dock(hwnd());
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

void MainWindow::layoutFollowers() const {
    const ProcessObjects& app = processObjects();
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
    const RECT m = screenRect();
    const int height = m.bottom - m.top;
    if (HWND bar = app.controlBarWindow.hwnd())
        placeWindow(bar, m.left + 5, m.top + height - 5 - windowHeight(bar), 0, 0, false);
    placeWindow(app.videoWindow.hwnd(), m.left + 6, m.top + kTitleHeight, 0, 0, false);
    app.openDialog.dock(hwnd()); // also while hidden
}

RECT MainWindow::closeBoxRect() const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    return RECT{client.right - 4 - 22, 4, client.right - 4, 4 + 18};
}

void MainWindow::paint(HDC dc) const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    HBRUSH frame = CreateSolidBrush(RGB(30, 32, 38));
    FillRect(dc, &client, frame);
    DeleteObject(frame);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(220, 220, 220));
    RECT title{10, 0, client.right - 40, kTitleHeight};
    DrawTextW(dc, L"Corvina", -1, &title, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    RECT box = closeBoxRect();
    DrawTextW(dc, L"\u00D7", -1, &box, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        paint(dc);
        EndPaint(hwnd(), &ps);
        return 0;
    }
    case WM_NCHITTEST: {
        // The free client area drags the window; the close box is a button.
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd(), &p);
        RECT box = closeBoxRect();
        return PtInRect(&box, p) ? HTCLIENT : HTCAPTION;
    }
    case WM_LBUTTONUP: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT box = closeBoxRect();
        if (PtInRect(&box, p))
            terminateProcessNow();
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        // The status line: light text on the frame's colour.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(192, 192, 192));
        SetBkColor(dc, RGB(30, 32, 38));
        SetDCBrushColor(dc, RGB(30, 32, 38));
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOSIZE))
            layoutFollowers();
        if (!(pos->flags & SWP_NOMOVE))
            followMove();
        if (!(pos->flags & SWP_NOSIZE))
            InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
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
