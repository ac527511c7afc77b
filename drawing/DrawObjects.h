// The small GDI+ objects the UI draws with: pens, fonts, string formats and
// paths, each owning its native object. Creating again disposes of the held
// object first; an empty wrapper passes null to GDI+ and gets its error back.
#pragma once

#include "NativeObject.h"

#include <string>
#include <vector>

namespace corvina {

class PenObject {
  public:
    Gdiplus::GpPen* native() const { return pen_.get(); }
    bool create(Gdiplus::ARGB color, float width, Gdiplus::Unit unit = Gdiplus::UnitWorld);
    Gdiplus::ARGB color() const;

  private:
    NativeObject<Gdiplus::GpPen, Gdiplus::DllExports::GdipDeletePen> pen_;
};

class FontObject {
  public:
    Gdiplus::GpFont* native() const { return font_.get(); }
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
    NativeObject<Gdiplus::GpFont, Gdiplus::DllExports::GdipDeleteFont> font_;
};

class StringFormatObject {
  public:
    Gdiplus::GpStringFormat* native() const { return format_.get(); }
    bool create(int flags = 0);
    bool setAlign(Gdiplus::StringAlignment align);
    bool setLineAlign(Gdiplus::StringAlignment align);

  private:
    NativeObject<Gdiplus::GpStringFormat, Gdiplus::DllExports::GdipDeleteStringFormat> format_;
};

// The corner ellipse of addRoundRect: (width, height) for the percent given.
struct CornerSize {
    int width;
    int height;
};

class PathObject {
  public:
    Gdiplus::GpPath* native() const { return path_.get(); }
    bool create(Gdiplus::FillMode mode = Gdiplus::FillModeAlternate);
    // A rectangle with rounded corners: the corner ellipse is `percent` of
    // the width by `percent` of the height, percent clamped to 1..100.
    bool addRoundRect(int x, int y, int width, int height, int percent);
    // The same with corner ellipses of a given size (c.width x c.height).
    bool addRoundRectCorners(int x, int y, int width, int height, CornerSize c);
    int pointCount() const;
    // The bounds in world units.
    Gdiplus::RectF bounds() const;

  private:
    NativeObject<Gdiplus::GpPath, Gdiplus::DllExports::GdipDeletePath> path_;
};

CornerSize roundRectCorner(int width, int height, int percent);

} // namespace corvina
