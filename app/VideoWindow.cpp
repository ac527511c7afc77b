#include "VideoWindow.h"

#include "EngineCallbacks.h"
#include "ProcessObjects.h"
#include "Resources.h"

namespace corvina {
namespace {
// The identifier handed to the engine as item 3.
constexpr char kEngineIdentifier[] = "{8A4C6F7E-2B1D-4E3A-9C5F-0D7B6E1A2F34}";
} // namespace

bool VideoWindow::load(HWND owner) {
    if (!createWindow(0, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, kWidth, kHeight, owner))
        return false;
    bindEngine();
    return true;
}

void VideoWindow::bindEngine() {
    ProcessObjects& app = processObjects();
    RECT client{};
    GetClientRect(hwnd(), &client);
    app.engine.create(hwnd(), 0, 0, client.right, client.bottom, engineCallbacks());
    app.engine.setLogo(loadResourceBytes(kLogoResource));
    app.engine.setConfig(3, kEngineIdentifier);
    app.engineSettings.bind(app.engine.handle());
    SetTimer(hwnd(), kStateTimer, 1000, nullptr);
}

LRESULT VideoWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        processObjects().engine.move(0, 0, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kStateTimer)
            processObjects().stateTimerTick();
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
    WindowHost& host = processObjects().controlBarHost;
    HostOptions o;
    o.backgroundColour = RGB(0, 0, 0);
    o.transparency = 254;
    o.borderStyle = 0;
    o.title = "";
    o.drawNow = true;
    o.backgroundMode = 0;
    o.systemButtonMask = 0;
    o.resizable = false;
    if (host.attach(hwnd(), o)) {
        host.setMessageHook([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }); // the key filter's place
        host.layoutCallbackProperty([](Endpoint*) {});
        host.dragByClientProperty(false);
    }
    return true;
}

} // namespace corvina
