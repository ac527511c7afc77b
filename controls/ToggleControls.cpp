#include "ToggleControls.h"

#include "ControlGeometry.h"
#include "DrawObjects.h"
#include "UiEngine.h"

namespace corvina {
namespace {

Gdiplus::ARGB opaque(COLORREF c) { return 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

} // namespace

Endpoint* ToggleControl::createToggle(Endpoint* parent, int x, int y, int width, int height, int transparency,
                                      const std::string& caption, COLORREF captionColour, ChangeCallback onChange,
                                      int tag) {
    captionColour_ = opaque(captionColour);
    glyphState_ = 1;
    caption_ = caption;
    tag_ = tag;
    onChange_ = std::move(onChange);
    return createBase(parent, x, y, width, height, transparency);
}

void ToggleControl::draw() {
    if (isDestroyed())
        return;
    const int w = getWidth(), h = getHeight();
    beginTransition();
    GraphicsObject& g = surface();
    g.setSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.setTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    g.clear(0);
    drawGlyph(g, h);
    UiTheme& theme = uiEngine().theme();
    theme.scratchBrush.setColor(captionColour_);
    if (!caption_.empty())
        g.drawString(caption_, theme.titleFont, static_cast<float>(captionLeft()), 0,
                     static_cast<float>(w - captionLeft()), static_cast<float>(h), theme.labelFormat,
                     theme.scratchBrush);
    runTransition();
}

void ToggleControl::onChange(std::optional<ChangeCallback> handler) {
    if (handler) {
        onChange_ = std::move(*handler);
        return;
    }
    if (onChange_) {
        ChangeCallback callback = onChange_;
        callback(tag_);
    }
}

int ToggleControl::checked(std::optional<int> value) {
    if (value && *value != checked_) {
        checked_ = *value;
        checkedChanged();
        draw();
    }
    return checked_;
}

void ToggleControl::setGlyphState(int state) {
    if (glyphState_ == state)
        return;
    glyphState_ = state;
    draw();
}

void ToggleControl::onMouseMove(int x, int) {
    if (!glyphHot(x))
        setGlyphState(1); // off the glyph: a press there is cancelled
    else if (glyphState_ == 1)
        setGlyphState(2);
}

void ToggleControl::onLeftDown(int x, int) {
    if (glyphPress(x)) {
        glyphState_ = 3;
        draw();
    }
}

void ToggleControl::onLeftUp(int, int) {
    if (glyphState_ != 3)
        return;
    glyphState_ = 2;
    checked_ = 1 - (checked_ & 1);
    checkedChanged();
    onChange();
    draw();
}

void ToggleControl::onMouseLeave() { setGlyphState(1); }

Endpoint* CheckBox::create(Endpoint* parent, int x, int y, int width, int height, int transparency, int checked,
                           const std::string& caption, COLORREF captionColour, ChangeCallback onChange, int tag) {
    if (checked != 0)
        checked_ = checked;
    return createToggle(parent, x, y, width, height, transparency, caption, captionColour, std::move(onChange), tag);
}

void CheckBox::drawGlyph(GraphicsObject& g, int height) {
    const UiTheme& theme = uiEngine().theme();
    const int y = height / 2 - 9;
    const int state = glyphState_ >= 1 && glyphState_ <= 3 ? glyphState_ : 1;
    g.drawImageRect(theme.checkBoxes[state - 1], 0, y, 18, 18);
    if (checked_ != 0)
        g.drawImageRect(theme.checkMark, 0, y, 18, 18);
}

Endpoint* RadioButton::create(Endpoint* parent, int x, int y, int width, int height, int transparency, int checked,
                              const std::string& caption, COLORREF captionColour, const RadioStyle& style,
                              ChangeCallback onChange, int tag) {
    style_ = style;
    Endpoint* endpoint =
        createToggle(parent, x, y, width, height, transparency, caption, captionColour, std::move(onChange), tag);
    if (endpoint && checked != 0) {
        setGroup(1);
        checked_ = checked;
        draw();
    }
    return endpoint;
}

void RadioButton::drawGlyph(GraphicsObject& g, int height) {
    const float top = height / 2.0f - 8;
    const int state = glyphState_ >= 1 && glyphState_ <= 4 ? glyphState_ : 1;
    SolidBrush brush(style_.colours[static_cast<size_t>(state)]);
    g.fillEllipse(brush.native(), 0, top, 16, 16);
    PenObject pen;
    pen.create(style_.colours[6], 2.0f);
    g.drawEllipse(pen, 0, top, 16, 16);
    if (checked_ != 0) {
        brush.setColor(style_.colours[7]);
        g.fillEllipse(brush.native(), 4, height / 2.0f - 4, 8, 8);
    }
}

void RadioButton::checkedChanged() { setGroup(checked_ != 0 ? 1 : 0); }

void RadioButton::onGroupChanged(LPARAM value) {
    if (value != 1)
        return;
    // Another radio button of the parent took the check.
    setGroup(0);
    checked_ = 0;
    draw();
    onChange();
}

} // namespace corvina
