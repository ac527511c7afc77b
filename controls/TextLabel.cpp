#include "TextLabel.h"

#include "UiEngine.h"

namespace corvina {

Endpoint* TextLabel::create(Endpoint* parent, int x, int y, int width, int height, const std::string& text) {
    text_ = text;
    return createBase(parent, x, y, width, height);
}

const std::string& TextLabel::text(std::optional<std::string> value) {
    if (value && *value != text_) {
        text_ = std::move(*value);
        refresh();
    }
    return text_;
}

void TextLabel::refresh() {
    if (isDestroyed())
        return;
    UiTheme& theme = uiEngine().theme();
    GraphicsObject& g = surface();
    g.clear(0);
    g.setTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    if (!text_.empty())
        g.drawString(text_, theme.titleFont, 0, 0, static_cast<float>(getWidth()), static_cast<float>(getHeight()),
                     theme.labelFormat, theme.labelTextBrush);
    present();
}

} // namespace corvina
