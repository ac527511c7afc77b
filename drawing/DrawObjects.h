// The small GDI+ objects the UI draws with: pens, fonts, string formats and
// paths, each owning its native object. Creating again disposes of the held
// object first; an empty wrapper passes null to GDI+ and gets its error back.
#pragma once

#include <windows.h>

#include <objidl.h> // gdiplus.h needs it, also under WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include <string>
#include <vector>

namespace corvina {

class PenObject {
  public:
    PenObject() = default;
    ~PenObject() { reset(); }
    PenObject(const PenObject&) = delete;
    PenObject& operator=(const PenObject&) = delete;

    Gdiplus::GpPen* native() const { return pen_; }
    bool create(Gdiplus::ARGB color, float width, Gdiplus::Unit unit = Gdiplus::UnitWorld);
    Gdiplus::ARGB color() const;

  private:
    void reset();
    Gdiplus::GpPen* pen_ = nullptr;
};

class FontObject {
  public:
    FontObject() = default;
    ~FontObject() { reset(); }
    FontObject(const FontObject&) = delete;
    FontObject& operator=(const FontObject&) = delete;

    Gdiplus::GpFont* native() const { return font_; }
    // `family` is GBK. Fails, leaving the wrapper empty, for a family that is
    // not installed.
    bool create(const std::string& family, float size, int style = Gdiplus::FontStyleRegular,
                Gdiplus::Unit unit = Gdiplus::UnitWorld);
    // The first of `families` that is installed.
    bool createFirstOf(const std::vector<std::string>& families, float size, int style = Gdiplus::FontStyleRegular,
                       Gdiplus::Unit unit = Gdiplus::UnitWorld);
    // The system's default GUI font, as the screen shows it.
    bool fromDefaultGuiFont();
    // The family name as GBK (empty when there is no font).
    std::string familyName() const;
    float size() const;

  private:
    void reset();
    Gdiplus::GpFont* font_ = nullptr;
};

class StringFormatObject {
  public:
    StringFormatObject() = default;
    ~StringFormatObject() { reset(); }
    StringFormatObject(const StringFormatObject&) = delete;
    StringFormatObject& operator=(const StringFormatObject&) = delete;

    Gdiplus::GpStringFormat* native() const { return format_; }
    bool create(int flags = 0);
    bool setAlign(Gdiplus::StringAlignment align);
    bool setLineAlign(Gdiplus::StringAlignment align);

  private:
    void reset();
    Gdiplus::GpStringFormat* format_ = nullptr;
};

class PathObject {
  public:
    PathObject() = default;
    ~PathObject() { reset(); }
    PathObject(const PathObject&) = delete;
    PathObject& operator=(const PathObject&) = delete;

    Gdiplus::GpPath* native() const { return path_; }
    bool create(Gdiplus::FillMode mode = Gdiplus::FillModeAlternate);
    // A rectangle with rounded corners: the corner ellipse is `percent` of
    // the width by `percent` of the height, percent clamped to 1..100.
    bool addRoundRect(int x, int y, int width, int height, int percent);
    int pointCount() const;
    // The bounds in world units.
    Gdiplus::RectF bounds() const;

  private:
    void reset();
    Gdiplus::GpPath* path_ = nullptr;
};

// The corner ellipse of addRoundRect: (width, height) for the percent given.
struct CornerSize {
    int width;
    int height;
};
CornerSize roundRectCorner(int width, int height, int percent);

} // namespace corvina
