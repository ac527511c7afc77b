#include "ImageButton.h"

#include "UiEngine.h"

namespace corvina {
Endpoint* ImageButton::create(Endpoint* parent, int x, int y, int width, int height, int transparency,
                              const std::string& text, const std::vector<uint8_t>& imageBytes, ClickCallback onClick,
                              int tag, int extra, const std::vector<Rect>& frames) {
    if (!parent || endpointOfL(send(parent, UI_IDENTIFY)) != parent)
        return nullptr;
    state_ = Normal;
    text_ = text;
    onClick_ = std::move(onClick);
    image_.clear();
    if (!imageBytes.empty())
        image_.fromBytes(imageBytes);
    extra_ = extra;
    frames_ = frames;
    tag_ = tag;
    return createBase(parent, x, y, width, height, transparency);
}

void ImageButton::draw(bool immediate) {
    if (isDestroyed())
        return;
    fadeStep_ = 0;
    const int width = getWidth(), height = getHeight();
    stopTimer();
    if (state_ == 0)
        state_ = Normal;
    GraphicsObject& g = surface();
    if (fading_) {
        // An interrupted fade ends on its target before the next one starts.
        fading_ = false;
        if (fadeNew_.hasSurface()) {
            g.clear(0);
            g.copyFrom(fadeNew_);
            present();
        }
    }
    fadeOld_.releaseSurface();
    fadeNew_.releaseSurface();
    const bool animate = !immediate && uiEngine().animationSwitch;
    if (animate) {
        fadeOld_.createSurface(width, height);
        fadeNew_.createSurface(width, height);
        fadeOld_.copyFrom(g);
    }
    g.clear(0);
    if (!image_.empty() && state_ >= 1 && state_ <= static_cast<int>(frames_.size())) {
        const Rect& f = frames_[static_cast<size_t>(state_ - 1)];
        if (f.width > 0 && f.height > 0)
            g.drawImageRectRect(image_, 0, 0, width, height, f.x, f.y, f.width, f.height);
    }
    if (!text_.empty()) {
        UiTheme& theme = uiEngine().theme();
        g.setTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        theme.controlTextBrush.setColor(textColour_);
        g.drawString(text_, theme.titleFont, 0, 0, static_cast<float>(width), static_cast<float>(height),
                     theme.centredFormat, theme.controlTextBrush);
    }
    if (!animate) {
        present();
        return;
    }
    fadeNew_.copyFrom(g);
    fading_ = true;
    startTimer(15);
    if (!getHostWindow()) { // no window to time the fade: show the target
        fading_ = false;
        fadeOld_.releaseSurface();
        fadeNew_.releaseSurface();
        present();
    }
}

void ImageButton::onTimer() {
    if (isDestroyed())
        return;
    ++fadeStep_;
    if (fadeStep_ > kButtonFadeSteps || !fadeOld_.hasSurface() || !fadeNew_.hasSurface()) {
        fadeOld_.releaseSurface();
        fadeNew_.releaseSurface();
        stopTimer();
        fading_ = false;
        draw(true);
        return;
    }
    const FadeStep step = buttonFadeStep(fadeStep_);
    GraphicsObject& g = surface();
    g.clear(0);
    g.sync();
    fadeOld_.blendTo(g.surfaceDc(), 0, 0, step.oldAlpha, true);
    fadeNew_.blendTo(g.surfaceDc(), 0, 0, step.newAlpha, true);
    present();
}

void ImageButton::setState(int state) {
    if (state_ == state)
        return;
    state_ = state;
    draw(false);
}

void ImageButton::onMouseEnter() {
    if (!pressed_)
        setState(Hover);
}

void ImageButton::onMouseLeave() { setState(Normal); }

bool ImageButton::inside(int x, int y) const { return x >= 0 && y >= 0 && x <= getWidth() && y <= getHeight(); }

void ImageButton::onLeftDown(int, int) {
    // The button keeps the mouse until the release, so leaving and coming
    // back with the button held still clicks, and a release elsewhere ends
    // the press.
    pressed_ = true;
    captureMouse();
    state_ = Pressed;
    draw(false);
}

void ImageButton::onMouseMove(int x, int y) {
    if (pressed_)
        setState(inside(x, y) ? Pressed : Normal);
    else
        setState(Hover); // back over the button after a release elsewhere
}

void ImageButton::onLeftUp(int x, int y) {
    if (!pressed_)
        return;
    pressed_ = false;
    releaseMouse();
    if (!inside(x, y)) {
        setState(Normal);
        return;
    }
    state_ = Hover;
    draw(false);
    if (onClick_) {
        ClickCallback click = onClick_; // the callback may replace or destroy the button
        click(tag_);
    }
}

void ImageButton::releaseResources() {
    fadeOld_.releaseSurface();
    fadeNew_.releaseSurface();
    image_.clear();
    stopTimer();
    fading_ = false;
    pressed_ = false;
}

void ImageButton::setImage(const std::vector<uint8_t>& imageBytes, std::optional<std::vector<Rect>> frames) {
    image_.clear();
    if (!imageBytes.empty())
        image_.fromBytes(imageBytes);
    if (frames)
        frames_ = std::move(*frames);
}

const std::string& ImageButton::textProperty(std::optional<std::string> text) {
    if (text && *text != text_) {
        text_ = std::move(*text);
        draw(false);
    }
    return text_;
}

COLORREF ImageButton::textColourProperty(std::optional<COLORREF> colour) {
    if (colour) {
        textColour_ = 0xFF000000u | GetRValue(*colour) << 16 | GetGValue(*colour) << 8 | GetBValue(*colour);
        if (!text_.empty())
            draw(false);
    }
    return RGB(textColour_ >> 16 & 0xFF, textColour_ >> 8 & 0xFF, textColour_ & 0xFF);
}

void ImageButton::resetState() { setState(Normal); }

} // namespace corvina
