#include "Slider.h"

#include "ControlGeometry.h"
#include "DrawObjects.h"
#include "UiEngine.h"

#include <algorithm>
#include <cmath>

namespace corvina {

Endpoint* Slider::create(Endpoint* parent, int x, int y, int width, int height, int transparency,
                         const Colours& colours, int maximum, int value, int tag, ChangeCallback onChange) {
    colours_ = colours;
    maximum_ = maximum;
    value_ = value;
    tag_ = tag;
    onChange_ = std::move(onChange);
    thumbState_ = 1;
    return createBase(parent, x, y, width, height, transparency);
}

void Slider::draw() {
    if (isDestroyed())
        return;
    value_ = std::clamp(value_, 0, std::max(maximum_, 0));
    const int w = getWidth(), h = getHeight();
    const float half = h / 2.0f;
    thumbLeft_ = sliderThumbLeft(w, h, maximum_, value_);
    GraphicsObject& g = surface();
    g.clear(0);
    PenObject pen;
    pen.create(colours_.track, 2.0f);
    g.drawLine(pen, 1.0f, half, static_cast<float>(w - 3), half);
    SolidBrush& brush = uiEngine().theme().scratchBrush;
    const float left = static_cast<float>(thumbLeft_);
    brush.setColor(colours_.thumb);
    g.fillRectangle(brush.native(), left, 0, half + 1, static_cast<float>(h));
    const Gdiplus::ARGB shade = static_cast<Gdiplus::ARGB>(std::trunc(thumbState_ * 25.5)) << 24;
    brush.setColor(thumbState_ == 3 ? 0x02FFFFFF : (shade | 0x00FFFFFF));
    g.fillRectangle(brush.native(), left + 1, 0, half, half);
    brush.setColor(shade);
    g.fillRectangle(brush.native(), left + 1, half, half, half);
    pen.create(colours_.thumbBorder, 1.0f);
    g.drawRectangle(pen, thumbLeft_, 0, h / 2, h - 1);
    pen.create(colours_.thumbInnerBorder, 1.0f);
    g.drawRectangle(pen, thumbLeft_ + 1, 1, h / 2 - 2, h - 3);
    present();
}

int Slider::value(std::optional<int> value, bool raiseEvent) {
    if (value && *value != value_) {
        value_ = *value;
        draw();
        if (raiseEvent)
            report();
    }
    return value_;
}

int Slider::maximum(std::optional<int> maximum) {
    if (maximum && *maximum != maximum_) {
        maximum_ = *maximum;
        draw();
    }
    return maximum_;
}

void Slider::report() {
    if (onChange_) {
        ChangeCallback callback = onChange_;
        callback(value_, tag_);
    }
}

void Slider::onMouseMove(int x, int) {
    if (dragging_) {
        const double exact = sliderExactValueAt(x, getWidth(), maximum_);
        if (std::abs(exact - value_) > 1e-7) {
            value_ = static_cast<int>(std::trunc(exact));
            draw();
            report();
        }
        return;
    }
    const bool onThumb = sliderThumbHit(x, thumbLeft_, getHeight());
    if (onThumb && thumbState_ == 1) {
        thumbState_ = 2;
        draw();
    } else if (!onThumb && thumbState_ == 2) {
        thumbState_ = 1;
        draw();
    }
}

void Slider::onLeftDown(int x, int) {
    if (!sliderThumbHit(x, thumbLeft_, getHeight()))
        return;
    dragging_ = true;
    thumbState_ = 3;
    captureMouse();
    draw();
}

void Slider::onLeftUp(int x, int) {
    if (dragging_) {
        releaseMouse();
        dragging_ = false;
        thumbState_ = 1;
        draw();
        return;
    }
    // A click on the track: the value there, clamped.
    value_ = sliderValueAt(x, getWidth(), maximum_);
    draw();
    report();
}

void Slider::onMouseLeave() {
    if (thumbState_ == 2) {
        thumbState_ = 1;
        draw();
    }
}

} // namespace corvina
