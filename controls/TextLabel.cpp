#include "TextLabel.h"

#include "UiEngine.h"

namespace corvina {

Endpoint* TextLabel::create(Endpoint* parent, int x, int y, int width, int height, int transparency,
                            const std::string& text) {
    text_ = text;
    detached_ = false;
    return createBase(parent, x, y, width, height, transparency);
}

const std::string& TextLabel::text(std::optional<std::string> value) {
    if (value) {
        text_ = std::move(*value);
        refresh();
    }
    return text_;
}

void TextLabel::detach() {
    if (isDestroyed() || detached_)
        return;
    // Hidden first, so the parent's picture loses it at once; then the
    // parent forgets it quietly, without ending it.
    visibleProperty(false);
    send(parent(), UI_REMOVE_CHILD, asWParam(getEndpoint()), 1);
    detached_ = true;
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
    present(); // nothing while detached: the label is hidden
}

} // namespace corvina
