#include "TrackBar.h"

#include "UiEngine.h"

#include <algorithm>

namespace corvina {
namespace {

Gdiplus::ARGB opaque(COLORREF c) { return 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

} // namespace

Endpoint* TrackBar::create(Endpoint* parent, int x, int y, int width, int height, int transparency, int tag,
                           int maximum, int value, ChangeCallback onChange, const TrackBarColours& colours) {
    if (!parent || endpointOfL(send(parent, UI_IDENTIFY)) != parent)
        return nullptr;
    tag_ = tag;
    maximum_ = maximum;
    value_ = value;
    onChange_ = std::move(onChange);
    if (colours.background)
        backgroundColour_ = opaque(*colours.background);
    fillStart_ = opaque(colours.fillStart);
    fillEnd_ = opaque(colours.fillEnd);
    hoverFillStart_ = opaque(colours.hoverFillStart);
    hoverFillEnd_ = opaque(colours.hoverFillEnd);
    bufferedColour_ = opaque(colours.buffered);
    return createBase(parent, x, y, width, height, transparency);
}

void TrackBar::draw() {
    if (isDestroyed())
        return;
    value_ = std::clamp(value_, 0, std::max(maximum_, 0));
    const int width = getWidth();
    const float fw = trackBandWidth(value_, width, maximum_);
    const float bw = trackBandWidth(bufferedValue_, width, maximum_);
    const float h = static_cast<float>(getHeight());
    GraphicsObject& g = surface();
    g.clear(backgroundColour_);
    if (bw > 0) {
        SolidBrush& brush = uiEngine().theme().scratchBrush;
        brush.setColor(bufferedColour_);
        g.fillRectangle(brush.native(), 0, 0, bw, h);
    }
    // An empty band has no gradient (and nothing to fill).
    if (fw > 0 && gradientBrush_.create(0, 0, fw, h, hovering_ ? hoverFillStart_ : fillStart_,
                                        hovering_ ? hoverFillEnd_ : fillEnd_))
        g.fillRectangle(gradientBrush_.native(), 0, 0, fw, h);
    present();
}

int TrackBar::maximum(std::optional<int> maximum) {
    if (maximum)
        maximum_ = *maximum;
    return maximum_;
}

int TrackBar::value(std::optional<int> value, bool raiseEvent) {
    if (value) {
        value_ = *value;
        draw();
        if (raiseEvent)
            report();
    }
    return value_;
}

void TrackBar::report() {
    if (onChange_) {
        ChangeCallback callback = onChange_;
        callback(value_, tag_);
    }
}

void TrackBar::onMouseMove(int x, int) {
    if (!dragging_ || x > getWidth())
        return;
    value_ = trackValueAt(x, getWidth(), maximum_);
    report();
    draw();
}

void TrackBar::onLeftDown(int, int) {
    dragging_ = true;
    captureMouse();
}

void TrackBar::onLeftUp(int x, int) {
    if (dragging_) {
        // Outside the bar the value is that of the nearer end.
        value_ = trackValueAt(x, getWidth(), maximum_);
        report();
        draw();
    }
    releaseMouse();
    dragging_ = false;
}

void TrackBar::onMouseEnter() {
    hovering_ = true;
    draw();
}

void TrackBar::onMouseLeave() {
    hovering_ = false;
    draw();
}

} // namespace corvina
