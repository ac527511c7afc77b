// A horizontal slider: a thin track line and a small rectangular thumb that
// the user drags, or that jumps to a clicked point of the track.
#pragma once

#include "ControlBase.h"

#include <functional>
#include <optional>

namespace corvina {

class Slider : public ControlBase {
  public:
    using ChangeCallback = std::function<void(int value, int tag)>;
    struct Colours {
        Gdiplus::ARGB track = 0xFF202020;
        Gdiplus::ARGB thumbBorder = 0x64000000;
        Gdiplus::ARGB thumbInnerBorder = 0x64FFFFFF;
        Gdiplus::ARGB thumb = 0xFF0060C0;
    };

    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency, const Colours& colours,
                     int maximum, int value, int tag, ChangeCallback onChange);
    void draw();
    // A new value (different from the current one) is drawn and, with
    // `raiseEvent`, reported clamped.
    int value(std::optional<int> value = std::nullopt, bool raiseEvent = false);
    int maximum(std::optional<int> maximum = std::nullopt);
    int thumbLeft() const { return thumbLeft_; }
    int thumbState() const { return thumbState_; }

    void onMouseMove(int x, int y) override;
    void onLeftDown(int x, int y) override;
    void onLeftUp(int x, int y) override;
    void onMouseLeave() override;
    void refresh() override { draw(); }

  private:
    void report();

    Colours colours_;
    int maximum_ = 0;
    int value_ = 0;
    int thumbLeft_ = 0;
    int thumbState_ = 1;
    bool dragging_ = false;
    int tag_ = 0;
    ChangeCallback onChange_;
};

} // namespace corvina
