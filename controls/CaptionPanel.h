// Two passive controls: a caption whose text is filled with a two-colour
// gradient turning by a timer, and a panel (a filled rectangle with a double
// outline) that frames and holds other controls.
#pragma once

#include "ControlBase.h"

#include <string>

namespace corvina {

class CaptionLabel : public ControlBase {
  public:
    // Colours are ARGB as given (0 when omitted: invisible text); the
    // gradient turns by 5 degrees every `interval` ms.
    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency = 0,
                     Gdiplus::ARGB from = 0, Gdiplus::ARGB to = 0, const std::string& caption = {}, int interval = 50);
    void draw();
    int gradientAngle() const { return gradientAngle_; }

    void onTimer() override;
    void releaseResources() override { stopTimer(); }
    void refresh() override { draw(); }

  private:
    Gdiplus::ARGB from_ = 0, to_ = 0;
    std::string caption_;
    int gradientAngle_ = 0;
};

class Panel : public ControlBase {
  public:
    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency = 0,
                     Gdiplus::ARGB background = 0, Gdiplus::ARGB border = 0, Gdiplus::ARGB innerBorder = 0);
    void draw();
    void refresh() override { draw(); }

  private:
    Gdiplus::ARGB background_ = 0, border_ = 0, innerBorder_ = 0;
};

} // namespace corvina
