#include "DrawObjects.h"

#include "DrawStatus.h"
#include "TextConvert.h"

#include <algorithm>

namespace corvina {

using namespace Gdiplus::DllExports;

bool PenObject::create(Gdiplus::ARGB color, float width, Gdiplus::Unit unit) {
    reset();
    Gdiplus::GpPen* created = nullptr;
    if (!noteDrawStatus(GdipCreatePen1(color, width, unit, &created)))
        return false;
    pen_ = created;
    return true;
}

Gdiplus::ARGB PenObject::color() const {
    Gdiplus::ARGB value = 0;
    noteDrawStatus(GdipGetPenColor(pen_, &value));
    return value;
}

void PenObject::reset() {
    if (pen_)
        noteDrawStatus(GdipDeletePen(pen_));
    pen_ = nullptr;
}

bool FontObject::create(const std::string& family, float size, int style, Gdiplus::Unit unit) {
    reset();
    const std::wstring name = gbkToWide(family);
    Gdiplus::GpFontFamily* fontFamily = nullptr;
    if (!noteDrawStatus(GdipCreateFontFamilyFromName(name.c_str(), nullptr, &fontFamily)))
        return false;
    Gdiplus::GpFont* created = nullptr;
    const bool ok = noteDrawStatus(GdipCreateFont(fontFamily, size, style, unit, &created));
    GdipDeleteFontFamily(fontFamily);
    if (ok)
        font_ = created;
    return ok;
}

bool FontObject::createFirstOf(const std::vector<std::string>& families, float size, int style, Gdiplus::Unit unit) {
    for (const std::string& family : families)
        if (create(family, size, style, unit))
            return true;
    return false;
}

bool FontObject::fromDefaultGuiFont() {
    reset();
    LOGFONTA logFont{};
    if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont) == 0)
        return noteDrawStatus(Gdiplus::GenericError);
    HDC screen = GetDC(nullptr);
    Gdiplus::GpFont* created = nullptr;
    const bool ok = noteDrawStatus(GdipCreateFontFromLogfontA(screen, &logFont, &created));
    ReleaseDC(nullptr, screen);
    if (ok)
        font_ = created;
    return ok;
}

std::string FontObject::familyName() const {
    Gdiplus::GpFontFamily* family = nullptr;
    if (!font_ || !noteDrawStatus(GdipGetFamily(font_, &family)))
        return {};
    WCHAR name[LF_FACESIZE] = {};
    noteDrawStatus(GdipGetFamilyName(family, name, LANG_NEUTRAL));
    GdipDeleteFontFamily(family);
    return wideToGbk(name);
}

float FontObject::size() const {
    float value = 0;
    noteDrawStatus(GdipGetFontSize(font_, &value));
    return value;
}

void FontObject::reset() {
    if (font_)
        noteDrawStatus(GdipDeleteFont(font_));
    font_ = nullptr;
}

bool StringFormatObject::create(int flags) {
    reset();
    Gdiplus::GpStringFormat* created = nullptr;
    if (!noteDrawStatus(GdipCreateStringFormat(flags, LANG_NEUTRAL, &created)))
        return false;
    format_ = created;
    return true;
}

bool StringFormatObject::setAlign(Gdiplus::StringAlignment align) {
    return noteDrawStatus(GdipSetStringFormatAlign(format_, align));
}

bool StringFormatObject::setLineAlign(Gdiplus::StringAlignment align) {
    return noteDrawStatus(GdipSetStringFormatLineAlign(format_, align));
}

void StringFormatObject::reset() {
    if (format_)
        noteDrawStatus(GdipDeleteStringFormat(format_));
    format_ = nullptr;
}

bool PathObject::create(Gdiplus::FillMode mode) {
    reset();
    Gdiplus::GpPath* created = nullptr;
    if (!noteDrawStatus(GdipCreatePath(mode, &created)))
        return false;
    path_ = created;
    return true;
}

CornerSize roundRectCorner(int width, int height, int percent) {
    const int p = std::clamp(percent, 1, 100);
    return {width * p / 100, height * p / 100};
}

bool PathObject::addRoundRect(int x, int y, int width, int height, int percent) {
    const CornerSize c = roundRectCorner(width, height, percent);
    const bool ok = noteDrawStatus(GdipAddPathArcI(path_, x + width - c.width, y, c.width, c.height, 270, 90)) &&
                    noteDrawStatus(GdipAddPathArcI(path_, x + width - c.width, y + height - c.height, c.width,
                                                   c.height, 0, 90)) &&
                    noteDrawStatus(GdipAddPathArcI(path_, x, y + height - c.height, c.width, c.height, 90, 90)) &&
                    noteDrawStatus(GdipAddPathArcI(path_, x, y, c.width, c.height, 180, 90));
    return noteDrawStatus(GdipClosePathFigure(path_)) && ok;
}

int PathObject::pointCount() const {
    INT count = 0;
    noteDrawStatus(GdipGetPointCount(path_, &count));
    return count;
}

Gdiplus::RectF PathObject::bounds() const {
    Gdiplus::RectF rect;
    noteDrawStatus(GdipGetPathWorldBounds(path_, &rect, nullptr, nullptr));
    return rect;
}

void PathObject::reset() {
    if (path_)
        noteDrawStatus(GdipDeletePath(path_));
    path_ = nullptr;
}

} // namespace corvina
