// Two-state controls: an 18-pixel glyph at the left and a caption to its
// right, toggled by a press and a release on the glyph. A radio button also
// unchecks the other checked radio button of its parent: while checked it is
// in group 1 of the control base's groups.
#pragma once

#include "ControlBase.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace corvina {

class ToggleControl : public ControlBase {
  public:
    using ChangeCallback = std::function<void(int tag)>;

    void draw();
    // With a handler: stores it. Without: raises the change event.
    void onChange(std::optional<ChangeCallback> handler = std::nullopt);
    // A new, different value redraws without an event.
    int checked(std::optional<int> value = std::nullopt);
    int glyphState() const { return glyphState_; }
    const std::string& caption() const { return caption_; }
    int tag() const { return tag_; }

    void onMouseMove(int x, int y) override;
    void onLeftDown(int x, int y) override;
    void onLeftUp(int x, int y) override;
    void onMouseLeave() override;
    void refresh() override { draw(); }

  protected:
    Endpoint* createToggle(Endpoint* parent, int x, int y, int width, int height, int transparency,
                           const std::string& caption, COLORREF captionColour, ChangeCallback onChange, int tag);
    virtual void drawGlyph(GraphicsObject& g, int height) = 0;
    virtual int captionLeft() const = 0;
    // Radio buttons join group 1 while checked.
    virtual void checkedChanged() {}
    void setGlyphState(int state);

    int checked_ = 0;
    int glyphState_ = 1;

  private:
    std::string caption_;
    Gdiplus::ARGB captionColour_ = 0xFFFFFFFF;
    int tag_ = 0;
    ChangeCallback onChange_;
};

class CheckBox : public ToggleControl {
  public:
    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency = 0, int checked = 0,
                     const std::string& caption = {}, COLORREF captionColour = RGB(255, 255, 255),
                     ChangeCallback onChange = {}, int tag = 0);

  protected:
    void drawGlyph(GraphicsObject& g, int height) override;
    int captionLeft() const override { return 20; }
};

// ARGB colours of a radio button: the circle's fill by glyph state (1..4),
// its outline and the dot when checked; the other fields are not read.
struct RadioStyle {
    std::array<Gdiplus::ARGB, 12> colours{0,          0xE6ECECEC, 0xE600FFFF, 0xE6606060, 0,          0x64202020,
                                          0x64202020, 0xE60088FF, 0,          0,          0,          0};
};

class RadioButton : public ToggleControl {
  public:
    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency = 0, int checked = 0,
                     const std::string& caption = {}, COLORREF captionColour = RGB(255, 255, 255),
                     const RadioStyle& style = {}, ChangeCallback onChange = {}, int tag = 0);
    void onGroupChanged(LPARAM value) override;

  protected:
    void drawGlyph(GraphicsObject& g, int height) override;
    int captionLeft() const override { return 18; }
    void checkedChanged() override;

  private:
    RadioStyle style_;
};

} // namespace corvina
