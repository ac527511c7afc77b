// The flat bar of the control bar (seek and volume): a value between 0 and a
// maximum shown as a gradient band from the left edge over a buffered band,
// lit while the pointer is over it, set by pressing on the bar and dragging.
#pragma once

#include "ControlBase.h"

#include <functional>
#include <optional>

namespace corvina {

struct TrackBarColours {
    std::optional<COLORREF> background; // transparent when not given
    COLORREF fillStart = RGB(0, 96, 192);
    COLORREF fillEnd = RGB(0, 136, 255);
    COLORREF hoverFillStart = RGB(0, 136, 255);
    COLORREF hoverFillEnd = RGB(0, 255, 255);
    COLORREF buffered = RGB(96, 96, 96);
};

class TrackBar : public ControlBase {
  public:
    using ChangeCallback = std::function<void(int value, int tag)>;

    // Null when the parent does not answer UI_IDENTIFY with itself.
    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency, int tag, int maximum,
                     int value, ChangeCallback onChange, const TrackBarColours& colours = {});
    void draw();
    // A new maximum shows (and clamps the value) at the next draw.
    int maximum(std::optional<int> maximum = std::nullopt);
    // The end of the buffered band, in value units; shown at the next draw.
    void setBufferedValue(int value) { bufferedValue_ = value; }
    int bufferedValue() const { return bufferedValue_; }
    // A new value is drawn (clamped to 0..maximum) and, with `raiseEvent`,
    // reported to the change callback.
    int value(std::optional<int> value = std::nullopt, bool raiseEvent = false);
    bool hovering() const { return hovering_; }
    bool dragging() const { return dragging_; }

    void onMouseMove(int x, int y) override;
    void onLeftDown(int x, int y) override;
    void onLeftUp(int x, int y) override;
    void onMouseEnter() override;
    void onMouseLeave() override;
    void refresh() override { draw(); }

  private:
    void report();

    int tag_ = 0;
    int maximum_ = 0;
    int value_ = 0;
    ChangeCallback onChange_;
    GradientBrush gradientBrush_;
    Gdiplus::ARGB fillStart_ = 0, fillEnd_ = 0, hoverFillStart_ = 0, hoverFillEnd_ = 0, bufferedColour_ = 0;
    bool hovering_ = false;
    bool dragging_ = false;
    int bufferedValue_ = 0;
    Gdiplus::ARGB backgroundColour_ = 0;
};

} // namespace corvina
