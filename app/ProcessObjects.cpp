#include "ProcessObjects.h"

#include "EngineImage.h"
#include "ProgramPath.h"
#include "Resources.h"

#include <commctrl.h>

#include <memory>

namespace corvina {
namespace {

ProcessObjects* g_objects = nullptr; // set for the life of runProgram

} // namespace

ProcessObjects& processObjects() { return *g_objects; }

void ProcessObjects::registerProtocol() {}

OpenDialogActions ProcessObjects::openDialogActions() { return {}; }

void ProcessObjects::handleLaunchArgument(const std::string&) {}

void ProcessObjects::stateTimerTick() {
    if (engine.state() == 0)
        return;
}

void ProcessObjects::engineMessage(UINT, WPARAM, LPARAM) {}

void ProcessObjects::bufferingReport(int) {}

int runProgram() {
    // 1-2: construct every object; the end routine is this scope's exit.
    auto objects = std::make_unique<ProcessObjects>();
    g_objects = objects.get();

    // 3: the engine library next to the program, written only when missing.
    const std::vector<uint8_t> image = loadResourceBytes(kEngineImageResource);
    installEngineLibrary(programDirectoryW() + L"\\APlayerCaller.dll", image.data(), image.size());

    // 4-5: GDI+, the UI engine's window class and switches, the common controls.
    objects->gdiplus.startup();
    registerVexaClass();
    objects->animationSwitch = true;
    objects->windowIconInTitle = true;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

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
    objects.reset();
    g_objects = nullptr;
    return exitCode;
}

} // namespace corvina
