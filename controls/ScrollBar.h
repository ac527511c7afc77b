// A thin vertical scroll bar: a rounded track shown while the pointer is over
// it, a rounded thumb that is dragged or jumps to a clicked point, and two
// arrow buttons at its ends that step the value by one.
#pragma once

#include "BitmapObject.h"
#include "ControlBase.h"
#include "ControlGeometry.h"

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace corvina {

// A small button of four state images (normal, hot, pressed, disabled),
// optionally mirrored, cross-fading between states.
class ArrowButton : public ControlBase {
  public:
    using ClickCallback = std::function<void(int tag)>;
    enum Flip { None = 0, Vertical = 1, Horizontal = 2, Both = 3 };

    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency,
                     const std::array<std::vector<uint8_t>, 4>& stateImages, ClickCallback onClick, int tag, int flip);
    void draw();
    int buttonState() const { return buttonState_; }
    void resetState();

    void onLeftDown(int x, int y) override;
    void onLeftUp(int x, int y) override;
    void onMouseEnter() override;
    void onMouseLeave() override;
    void refresh() override { draw(); }

  private:
    void setState(int state);
    std::array<BitmapObject, 4> images_;
    int buttonState_ = 1;
    ClickCallback onClick_;
    int tag_ = 0;
};

class ScrollBar : public ControlBase {
  public:
    using ChangeCallback = std::function<void(int value, int tag)>;

    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency, int tag, int maximum,
                     int value, ChangeCallback onChange);
    // The arrow with tag 1 steps down by one, the other up.
    void step(int arrowTag);
    void draw(bool immediate = false);
    int maximum(std::optional<int> maximum = std::nullopt);
    int value(std::optional<int> value = std::nullopt);
    const ScrollThumb& thumb() const { return thumb_; }
    int thumbState() const { return thumbState_; }
    bool hovering() const { return hovering_; }
    ArrowButton& arrow(int i) { return arrows_[static_cast<size_t>(i)]; }

    void onMouseMove(int x, int y) override;
    void onLeftDown(int x, int y) override;
    void onLeftUp(int x, int y) override;
    void onMouseEnter() override;
    void onMouseLeave() override;
    void onResized() override;
    void refresh() override { draw(); }

  private:
    void report();

    int tag_ = 0;
    int maximum_ = 0;
    int value_ = 0;
    std::array<ArrowButton, 2> arrows_;
    ScrollThumb thumb_{14, 30};
    int thumbState_ = 1;
    ChangeCallback onChange_;
    bool hovering_ = false;
};

} // namespace corvina
