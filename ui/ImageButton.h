// The engine's stock button: one frame of a sprite strip per state (normal,
// hover, pressed), an optional centred text, and a click callback with a
// tag. State changes cross-fade over about 300 ms while the program-wide
// animation switch is on. A press holds the mouse until the release; the
// release clicks when it is on the button, wherever the pointer went between.
#pragma once

#include "BitmapObject.h"
#include "ControlBase.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

class ImageButton : public ControlBase {
  public:
    using ClickCallback = std::function<void(int tag)>;
    enum State { Normal = 1, Hover = 2, Pressed = 3 };

    // Null when the parent does not answer UI_IDENTIFY with itself. Frame k-1
    // of `frames` (rectangles on the image) shows in state k; the button is
    // drawn once without animation.
    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency = 0,
                     const std::string& text = {}, const std::vector<uint8_t>& imageBytes = {},
                     ClickCallback onClick = {}, int tag = 0, int extra = 0, const std::vector<Rect>& frames = {});
    // Redraws in the current state: at once, or as a cross-fade from the
    // picture shown now.
    void draw(bool immediate = false);
    // A new sprite sheet (and frames when given); shown at the next draw.
    void setImage(const std::vector<uint8_t>& imageBytes, std::optional<std::vector<Rect>> frames = std::nullopt);
    // GBK; a different text redraws.
    const std::string& textProperty(std::optional<std::string> text = std::nullopt);
    COLORREF textColourProperty(std::optional<COLORREF> colour = std::nullopt);
    // Back to the normal state (animated).
    void resetState();

    int state() const { return state_ == 0 ? Normal : state_; }
    bool fading() const { return fading_; }
    int fadeStep() const { return fadeStep_; }
    const std::vector<Rect>& frames() const { return frames_; }

    void onTimer() override;
    void onMouseMove(int x, int y) override;
    void onLeftDown(int x, int y) override;
    void onLeftUp(int x, int y) override;
    void onMouseEnter() override;
    void onMouseLeave() override;
    void releaseResources() override;
    void refresh() override { draw(true); }

  private:
    void setState(int state);
    bool inside(int x, int y) const;

    int state_ = 0;
    std::string text_;
    ClickCallback onClick_;
    GraphicsObject fadeOld_;
    GraphicsObject fadeNew_;
    int tag_ = 0;
    int fadeStep_ = 0;
    BitmapObject image_;
    int extra_ = 0;
    std::vector<Rect> frames_;
    Gdiplus::ARGB textColour_ = 0xFFFFFFFF;
    bool fading_ = false;
    bool pressed_ = false; // pressed here, mouse held until the release
};

} // namespace corvina
