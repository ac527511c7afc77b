// One line of text on a custom-drawn host: the time display, the status line
// and the play counters. It draws with the program-wide label font, brush and
// format (left aligned, vertically centred, never measured or shortened) and
// never reacts to the mouse or keys.
#pragma once

#include "ControlBase.h"

#include <optional>
#include <string>

namespace corvina {

class TextLabel : public ControlBase {
  public:
    // Null when the parent is not a live host or control.
    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency = 0,
                     const std::string& text = {});
    // Sets the text (GBK) when given and redraws, the same text too; returns
    // the current text.
    const std::string& text(std::optional<std::string> value = std::nullopt);
    // Takes the label off its parent's picture. It keeps its text and its
    // geometry (a layout may still move it) but is shown nowhere.
    void detach();
    void refresh() override;

  private:
    std::string text_;
    bool detached_ = false;
};

} // namespace corvina
