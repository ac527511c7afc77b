// Shared pieces of the UI engine tests: GDI+ and the UI engine started once,
// a test control that fills itself with one colour and records what reaches
// it, and image bytes drawn on the spot.
#pragma once

#include "ControlBase.h"
#include "DrawStatus.h"
#include "GdiplusSession.h"
#include "UiEngine.h"
#include "WindowHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace ui_testing {

using namespace corvina;

inline void startUi() {
    static GdiplusSession session;
    ASSERT_TRUE(session.startup());
    uiEngine().start();
}

// Opaque colours as premultiplied BGRA read from a surface.
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00,
                   kWhite = 0xFFFFFFFF, kGrey = 0xFF808080;

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class Box : public ControlBase {
  public:
    explicit Box(uint32_t fill = kRed) : colour(fill) {}
    Endpoint* create(Endpoint* parent, Rect r, bool passThrough = false, bool canFocus = false) {
        return createBase(parent, r.x, r.y, r.width, r.height, 0, nullptr, passThrough, canFocus);
    }
    void refresh() override {
        surface().clear(colour);
        present();
    }
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message < UI_FIRST_ENGINE_MESSAGE || message == UI_SET_FOCUS || message == UI_KILL_FOCUS ||
            message == UI_PARENT_GONE)
            received.push_back({message, wParam, lParam});
        return ControlBase::handleMessage(message, wParam, lParam);
    }
    // What of `message` arrived, in order.
    std::vector<Received> got(UINT message) const {
        std::vector<Received> out;
        for (const Received& r : received)
            if (r.message == message)
                out.push_back(r);
        return out;
    }
    int count(UINT message) const { return static_cast<int>(got(message).size()); }
    using ControlBase::surface;

    uint32_t colour;
    std::vector<Received> received;
};

// A PNG of `width` x `height` filled with `fill`, with rectangles painted on.
struct Patch {
    Rect rect;
    uint32_t colour;
};
inline std::vector<uint8_t> pngOf(int width, int height, uint32_t fill, const std::vector<Patch>& patches = {}) {
    GraphicsObject image;
    image.createSurface(width, height);
    image.clear(fill);
    for (const Patch& p : patches) {
        SolidBrush brush(p.colour);
        image.fillRectangle(brush, p.rect.x, p.rect.y, p.rect.width, p.rect.height);
    }
    return image.snapshot("");
}

} // namespace ui_testing
