// What the UI engine keeps for the whole process: its window class, the
// shared drawing objects of the frames and labels, and its two switches.
// Started once by the program before the first host is attached, stopped
// before GDI+ is shut down.
#pragma once

#include "BitmapObject.h"
#include "DrawObjects.h"
#include "GraphicsObject.h"

#include <optional>
#include <string>
#include <vector>

namespace corvina {

// The title font's families, the first installed one is used; every label
// uses the same list.
inline const std::vector<std::string>& titleFontFamilies() {
    // "微软雅黑", "黑体", "宋体" in GBK.
    static const std::vector<std::string> families{"\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA", "\xBA\xDA\xCC\xE5",
                                                   "\xCB\xCE\xCC\xE5"};
    return families;
}

struct UiTheme {
    PenObject darkPen;               // ARGB 0x64000000, width 1
    PenObject lightPen;              // ARGB 0x64FFFFFF, width 1
    FontObject titleFont;            // 14 world units, regular; also the label font
    SolidBrush titleBrush;           // 0xF0787A7B
    StringFormatObject titleFormat;  // no font fallback, no wrapping, line centre, near
    SolidBrush controlTextBrush;     // each text-drawing control sets its colour before drawing
    SolidBrush scratchBrush;         // each control sets the colour it needs right before a fill
    SolidBrush labelTextBrush;       // RGB(192,192,192), opaque
    StringFormatObject labelFormat;  // no font fallback, no wrapping, line centre, near
    StringFormatObject centredFormat; // no font fallback, no wrapping, centred both ways
    BitmapObject checkBoxes[3];       // the check box's glyph: normal, hot, pressed
    BitmapObject checkMark;           // drawn over it when checked
};

class UiEngine {
  public:
    // Registers the window class "Vexa", makes the theme and turns both
    // switches on. Needs GDI+ started. A second call does nothing.
    bool start();
    // Releases the theme (before GDI+ is shut down).
    void stop();
    bool started() const { return started_; }

    // Empty objects (drawing nothing) until start().
    UiTheme& theme() { return theme_ ? *theme_ : theme_.emplace(); }
    // State changes of controls cross-fade while on.
    bool animationSwitch = false;
    // While on, a host attached without a title icon takes its window's small icon.
    bool windowIconInTitle = false;

  private:
    bool started_ = false;
    std::optional<UiTheme> theme_;
};

// The process's UI engine.
UiEngine& uiEngine();

// The UI engine's own window class, registered once.
bool registerVexaClass();

} // namespace corvina
