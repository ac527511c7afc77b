#include "ScrollBar.h"

#include "ControlGlyphs.h"
#include "DrawObjects.h"
#include "UiEngine.h"

#include <algorithm>
#include <cmath>

namespace corvina {

Endpoint* ArrowButton::create(Endpoint* parent, int x, int y, int width, int height, int transparency,
                              const std::array<std::vector<uint8_t>, 4>& stateImages, ClickCallback onClick, int tag,
                              int flip) {
    // GDI+ mirror types: RotateNoneFlipY (6), RotateNoneFlipX (4), both (2).
    static constexpr int kMirror[4] = {0, 6, 4, 2};
    for (size_t i = 0; i < images_.size(); ++i) {
        images_[i].clear();
        if (!stateImages[i].empty() && images_[i].fromBytes(stateImages[i]) && flip > 0 && flip < 4)
            images_[i].rotateFlip(kMirror[flip]);
    }
    onClick_ = std::move(onClick);
    tag_ = tag;
    buttonState_ = 1;
    return createBase(parent, x, y, width, height, transparency);
}

void ArrowButton::draw() {
    if (isDestroyed())
        return;
    beginTransition();
    GraphicsObject& g = surface();
    g.clear(0);
    const BitmapObject& image = images_[static_cast<size_t>(std::clamp(buttonState_, 1, 4) - 1)];
    if (!image.empty()) {
        g.setInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        g.drawImageRect(image, 0, 0, getWidth(), getHeight());
    }
    runTransition();
}

void ArrowButton::setState(int state) {
    if (buttonState_ == state)
        return;
    buttonState_ = state;
    draw();
}

void ArrowButton::resetState() { setState(1); }
void ArrowButton::onMouseEnter() { setState(2); }
void ArrowButton::onMouseLeave() { setState(1); }
void ArrowButton::onLeftDown(int, int) { setState(3); }

void ArrowButton::onLeftUp(int, int) {
    if (buttonState_ != 3)
        return;
    setState(2);
    if (onClick_) {
        ClickCallback click = onClick_;
        click(tag_);
    }
}

Endpoint* ScrollBar::create(Endpoint* parent, int x, int y, int width, int height, int transparency, int tag,
                            int maximum, int value, ChangeCallback onChange) {
    tag_ = tag;
    maximum_ = maximum;
    value_ = value;
    onChange_ = std::move(onChange);
    thumbState_ = 1;
    Endpoint* self = createBase(parent, x, y, width, height, transparency);
    if (!self)
        return nullptr;
    const std::array<std::vector<uint8_t>, 4> images{glyphBytes(Glyph::ArrowNormal), glyphBytes(Glyph::ArrowHot),
                                                     glyphBytes(Glyph::ArrowPressed), {}};
    const int ax = static_cast<int>(width / 2.0 - 6.5);
    arrows_[0].create(self, ax, 0, 13, 7, 0, images, [this](int t) { step(t); }, 1, ArrowButton::None);
    arrows_[1].create(self, ax, static_cast<int>(height - 7.0), 13, 7, 0, images, [this](int t) { step(t); }, 2,
                      ArrowButton::Vertical);
    return self;
}

void ScrollBar::step(int arrowTag) {
    value_ += arrowTag == 1 ? -1 : 1;
    draw();
    report();
}

void ScrollBar::report() {
    if (onChange_) {
        ChangeCallback callback = onChange_;
        callback(value_, tag_);
    }
}

void ScrollBar::draw(bool immediate) {
    if (isDestroyed())
        return;
    value_ = std::clamp(value_, 0, std::max(maximum_, 0));
    if (!immediate)
        beginTransition();
    const int w = getWidth(), h = getHeight();
    thumb_ = scrollThumb(h, maximum_, value_);
    GraphicsObject& g = surface();
    g.clear(0);
    g.setSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    SolidBrush& brush = uiEngine().theme().scratchBrush;
    auto fillRound = [&](int y, int height, Gdiplus::ARGB colour) {
        PathObject path;
        if (height <= 0 || !path.create() || !path.addRoundRectCorners(0, y, w - 1, height, {6, 6}))
            return;
        brush.setColor(colour);
        g.fillPath(brush.native(), path.native());
    };
    if (hovering_)
        fillRound(14, h - 28, 0x64414243);
    static constexpr Gdiplus::ARGB kThumb[4] = {0, 0xC8C0C0C0, 0xC8ECECEC, 0xC8828282};
    fillRound(thumb_.top, thumb_.height, kThumb[std::clamp(thumbState_, 1, 3)]);
    if (immediate) {
        endTransition();
        present();
    } else {
        runTransition();
    }
}

int ScrollBar::maximum(std::optional<int> maximum) {
    if (maximum)
        maximum_ = *maximum;
    return maximum_;
}

int ScrollBar::value(std::optional<int> value) {
    if (value)
        value_ = *value;
    return value_;
}

void ScrollBar::onMouseMove(int, int y) {
    if (thumbState_ == 3) {
        value_ = scrollValueAt(y, getHeight(), maximum_);
        draw(true);
        report();
        return;
    }
    const bool onThumb = scrollThumbHit(y, thumb_);
    if (onThumb && thumbState_ == 1) {
        thumbState_ = 2;
        draw();
    } else if (!onThumb && thumbState_ == 2) {
        thumbState_ = 1;
        draw();
    }
}

void ScrollBar::onLeftDown(int, int y) {
    if (scrollThumbHit(y, thumb_) && thumbState_ != 3) {
        captureMouse();
        thumbState_ = 3;
        draw();
    }
}

void ScrollBar::onLeftUp(int, int y) {
    if (thumbState_ == 3) {
        thumbState_ = 1;
        draw();
    } else {
        // A click on the track: the thumb centred there.
        value_ = scrollValueAt(y, getHeight(), maximum_);
        draw();
        report();
    }
    releaseMouse();
}

void ScrollBar::onMouseEnter() {
    hovering_ = true;
    draw();
}

void ScrollBar::onMouseLeave() {
    hovering_ = false;
    if (thumbState_ == 2)
        thumbState_ = 1;
    draw();
}

void ScrollBar::onResized() {
    const int ax = static_cast<int>(getWidth() / 2.0 - 6.5);
    arrows_[0].moveTo(ax, 0, 13, 7);
    arrows_[1].moveTo(ax, static_cast<int>(getHeight() - 7.0), 13, 7);
}

} // namespace corvina
