// The UI engine's costs on a host of the main window's size (858 x 496):
// a partial update of one 100 x 20 control against a full redraw, one full
// present, and the GDI and user object counts across many of both.
//
//   ui-bench [rounds] [updates for the memory check]
#include "ControlBase.h"
#include "GdiplusSession.h"
#include "TestSupport.h"
#include "UiEngine.h"
#include "WindowHost.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

using namespace corvina;
using namespace testing_support;

namespace {

class Swatch : public ControlBase {
  public:
    void refresh() override {
        surface().clear(colour);
        present();
    }
    Gdiplus::ARGB colour = 0xFF3070C0;
};

std::vector<uint8_t> framePng() {
    GraphicsObject image;
    image.createSurface(40, 70);
    image.clear(0xFF1F2126);
    SolidBrush band(0xFF34373E);
    image.fillRectangle(band, 4, 4, 32, 45);
    return image.snapshot("");
}

// Committed private memory (what Wine fills in: PagefileUsage).
double privateMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PagefileUsage) / (1 << 20);
}

double perCall(int n, const std::function<void()>& f) {
    const double start = nowMs();
    for (int i = 0; i < n; ++i)
        f();
    return (nowMs() - start) / n;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int updates = argc > 2 ? std::max(20, std::atoi(argv[2])) : 2000;
    GdiplusSession gdiplus;
    gdiplus.startup();
    uiEngine().start();
    {
        TestWindow window(0, 0, 858, 496);
        WindowHost host;
        HostOptions o;
        o.backgroundMode = 2;
        o.frameImage = framePng();
        o.frameMargins = Margins{9, 50, 9, 9};
        o.title = "Corvina";
        o.drawNow = true;
        Endpoint* endpoint = host.attach(window.hwnd(), o);
        host.setFrameInset(4);
        Swatch swatch;
        swatch.createBase(endpoint, 150, 7, 100, 20);
        pumpMessages(200);

        const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
        const double partial = perCall(rounds, [&] {
            swatch.colour ^= 0x00FFFFFF;
            swatch.refresh();
        });
        const double full = perCall(std::max(rounds / 10, 5), [&] { host.redraw(); });
        const double present = perCall(rounds, [&] { host.present(); });
        for (int i = 0; i < 1000; ++i)
            swatch.refresh();
        for (int i = 0; i < 100; ++i)
            host.redraw();
        const DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        const DWORD userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);

        // What tells a leak where GetGuiResources cannot (Wine): the process's
        // private memory across many more updates and resizes, each of which
        // makes new layers and a new canvas. Messages are pumped as the
        // program's loop does: what Wine queues for an unpumped thread grows
        // without bound and would read as a leak.
        const double memoryBefore = privateMb();
        for (int i = 0; i < updates; ++i) {
            if (i % 10 == 0) {
                SetWindowPos(window.hwnd(), nullptr, 0, 0, i % 20 ? 800 : 858, i % 20 ? 480 : 496,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                pumpMessages(0);
            }
            swatch.refresh();
        }
        const double memoryAfter = privateMb();

        // The same in direct mode: composition and a copy to the window, with
        // no layered present (which Wine pushes whole, dirty area or not).
        TestWindow plainWindow(0, 0, 858, 496);
        WindowHost direct;
        HostOptions d = o;
        d.directMode = true;
        Endpoint* directEndpoint = direct.attach(plainWindow.hwnd(), d);
        Swatch directSwatch;
        directSwatch.createBase(directEndpoint, 150, 7, 100, 20);
        const double directPartial = perCall(rounds, [&] {
            directSwatch.colour ^= 0x00FFFFFF;
            directSwatch.refresh();
        });
        const double directFull = perCall(std::max(rounds / 10, 5), [&] { direct.redraw(); });

        std::printf("host 858x496, control 100x20, %d rounds\n", rounds);
        std::printf("direct mode: partial %.3f ms, full redraw %.3f ms, partial / full %.1f %%\n",
                    directPartial, directFull, 100.0 * directPartial / directFull);
        std::printf("partial update (recompose + present): %.3f ms\n", partial);
        std::printf("full redraw:                          %.3f ms\n", full);
        std::printf("partial / full:                       %.1f %%\n", 100.0 * partial / full);
        std::printf("one full present (858x496):           %.3f ms\n", present);
        std::printf("private memory across %d updates and %d resizes: %.1f MB before, %.1f MB after\n",
                    updates, updates / 10, memoryBefore, memoryAfter);
        std::printf("GDI objects  before %lu after %lu\n", static_cast<unsigned long>(gdiBefore),
                    static_cast<unsigned long>(gdiAfter));
        std::printf("user objects before %lu after %lu\n", static_cast<unsigned long>(userBefore),
                    static_cast<unsigned long>(userAfter));
    }
    uiEngine().stop();
    return 0;
}
