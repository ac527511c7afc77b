#include "CaptionPanel.h"

#include "ControlGeometry.h"
#include "DrawObjects.h"
#include "UiEngine.h"

namespace corvina {

Endpoint* CaptionLabel::create(Endpoint* parent, int x, int y, int width, int height, int transparency,
                               Gdiplus::ARGB from, Gdiplus::ARGB to, const std::string& caption, int interval) {
    from_ = from;
    to_ = to;
    caption_ = caption;
    Endpoint* endpoint = createBase(parent, x, y, width, height, transparency);
    if (endpoint)
        startTimer(interval);
    return endpoint;
}

void CaptionLabel::onTimer() {
    gradientAngle_ = nextGradientAngle(gradientAngle_);
    draw();
}

void CaptionLabel::draw() {
    if (isDestroyed())
        return;
    const float w = static_cast<float>(getWidth()), h = static_cast<float>(getHeight());
    GraphicsObject& g = surface();
    g.clear(0);
    g.setTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    GradientBrush brush;
    UiTheme& theme = uiEngine().theme();
    if (w > 0 && h > 0 && brush.create(0, 0, w, h, from_, to_, static_cast<float>(gradientAngle_), true))
        g.drawString(caption_, theme.titleFont, 0, 0, w, h, theme.centredFormat, brush.native());
    present();
}

Endpoint* Panel::create(Endpoint* parent, int x, int y, int width, int height, int transparency,
                        Gdiplus::ARGB background, Gdiplus::ARGB border, Gdiplus::ARGB innerBorder) {
    background_ = background;
    border_ = border;
    innerBorder_ = innerBorder;
    return createBase(parent, x, y, width, height, transparency);
}

void Panel::draw() {
    if (isDestroyed())
        return;
    const int w = getWidth(), h = getHeight();
    GraphicsObject& g = surface();
    g.clear(background_);
    PenObject pen;
    pen.create(border_, 1.0f);
    g.drawRectangle(pen, 0, 0, w - 1, h - 1);
    pen.create(innerBorder_, 1.0f);
    g.drawRectangle(pen, 1, 1, w - 3, h - 3);
    present();
}

} // namespace corvina
