#include "VideoWindow.h"

#include "EngineCallbacks.h"
#include "ProcessObjects.h"
#include "Resources.h"

namespace corvina {
namespace {
// The identifier handed to the engine as item 3.
constexpr char kEngineIdentifier[] = "{8A4C6F7E-2B1D-4E3A-9C5F-0D7B6E1A2F34}";


// Keys reach the player from either host; the message goes on.
LRESULT keyFilter(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_KEYDOWN)
        processObjects().player.handleKey(wParam);
    return 0;
}

} // namespace

bool VideoWindow::load(HWND owner) {
    if (!createWindow(0, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, kWidth, kHeight, owner))
        return false;
    // The web view never loads a page: it stays hidden and only keeps its
    // place in the middle of the picture.
    webView_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 48, 96, kWebViewWidth, kWebViewHeight, hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    bindEngine();
    return true;
}

void VideoWindow::hideWebView() {
    if (webView_)
        ShowWindow(webView_, SW_HIDE);
}

void VideoWindow::bindEngine() {
    ProcessObjects& app = processObjects();
    app.engineEvents.bind(hwnd(), &app);
    RECT client{};
    GetClientRect(hwnd(), &client);
    app.engine.create(hwnd(), 0, 0, client.right, client.bottom, engineCallbacks());
    app.engine.setLogo(loadResourceBytes(kLogoResource));
    app.engine.setConfig(3, kEngineIdentifier);
    app.engineSettings.bind(app.engine.handle());
    SetTimer(hwnd(), kStateTimer, 1000, nullptr);
}

LRESULT VideoWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    ProcessObjects& app = processObjects();
    if (app.engineEvents.handle(message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_SIZE: {
        const int width = LOWORD(lParam), height = HIWORD(lParam);
        app.engine.move(0, 0, width, height);
        if (webView_)
            SetWindowPos(webView_, nullptr, (width - kWebViewWidth) / 2, (height - kWebViewHeight) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_ACTIVATE:
        // Activated (a click on the picture focuses the engine's window):
        // Wine may raise it over the windows it owns, at once or later;
        // the main window puts the set's order back.
        if (LOWORD(wParam) != WA_INACTIVE) {
            app.mainWindow.checkStackingSoon();
            app.mainWindow.watchStacking();
        }
        return PlainWindow::handleMessage(message, wParam, lParam);
    case WM_TIMER:
        if (wParam == kStateTimer) {
            app.player.stateTick();
            // Once a second, the set's order too: a few window look-ups, and
            // a repair only where Wine has moved a window out of it.
            app.mainWindow.checkStackingSoon();
        }
        else if (wParam == kHoldTimer)
            app.player.holdTick();
        return 0;
    case WM_ERASEBKGND: {
        RECT r{};
        GetClientRect(hwnd(), &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return 1;
    }
    default:
        return PlainWindow::handleMessage(message, wParam, lParam);
    }
}

bool ControlBarWindow::load(HWND owner) {
    if (!createWindow(0, L"", WS_POPUP, 0, 0, kWidth, kHeight, owner))
        return false;
    // Layered and all but transparent (alpha 1: still under the mouse); the
    // bar's controls draw on it and it fades through the host's opacity.
    ProcessObjects& app = processObjects();
    WindowHost& host = app.controlBarHost;
    HostOptions o;
    o.backgroundColour = RGB(0, 0, 0);
    o.transparency = 254;
    o.borderStyle = 0;
    o.title = "";
    o.drawNow = true;
    o.backgroundMode = 0;
    o.systemButtonMask = 0;
    o.resizable = false;
    Endpoint* endpoint = host.attach(hwnd(), o);
    if (endpoint) {
        host.setMessageHook(keyFilter);
        host.layoutCallbackProperty([&host](Endpoint*) { processObjects().player.bar().layout(host.width(), host.height()); });
        host.dragByClientProperty(false);
    }
    if (app.mainHost.hwnd())
        app.mainHost.setMessageHook(keyFilter);
    app.player.createControls(endpoint, app.mainHost.hwnd() ? app.mainHost.getEndpoint() : nullptr, kWidth, kHeight);
    SetTimer(hwnd(), kFadeTimer, 100, nullptr);
    return true;
}

LRESULT ControlBarWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kFadeTimer) {
        processObjects().player.fadeTick();
        return 0;
    }
    return PlainWindow::handleMessage(message, wParam, lParam);
}

} // namespace corvina
