// One line of text on a custom-drawn host: the status line and the time
// display. It draws with the program-wide label font, brush and format and
// never reacts to the mouse or keys.
#pragma once

#include "ControlBase.h"

#include <optional>
#include <string>

namespace corvina {

class TextLabel : public ControlBase {
  public:
    // Null when the parent is not a live host or control.
    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, const std::string& text = {});
    // Sets the text (GBK) when given and redraws; returns the current text.
    const std::string& text(std::optional<std::string> value = std::nullopt);
    void refresh() override;

  private:
    std::string text_;
};

} // namespace corvina
