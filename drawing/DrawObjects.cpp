#include "DrawObjects.h"

#include "DrawStatus.h"
#include "TextConvert.h"

#include <algorithm>

namespace corvina {

using namespace Gdiplus::DllExports;

bool PenObject::create(Gdiplus::ARGB color, float width, Gdiplus::Unit unit) {
    return pen_.recreate([&](Gdiplus::GpPen** out) { return GdipCreatePen1(color, width, unit, out); });
}

Gdiplus::ARGB PenObject::color() const {
    Gdiplus::ARGB value = 0;
    noteDrawStatus(GdipGetPenColor(pen_.get(), &value));
    return value;
}

bool FontObject::create(const std::string& family, float size, int style, Gdiplus::Unit unit) {
    font_.reset();
    const std::wstring name = gbkToWide(family);
    Gdiplus::GpFontFamily* fontFamily = nullptr;
    if (!noteDrawStatus(GdipCreateFontFamilyFromName(name.c_str(), nullptr, &fontFamily)))
        return false;
    const bool ok = font_.recreate(
        [&](Gdiplus::GpFont** out) { return GdipCreateFont(fontFamily, size, style, unit, out); });
    GdipDeleteFontFamily(fontFamily);
    return ok;
}

bool FontObject::createFirstOf(const std::vector<std::string>& families, float size, int style, Gdiplus::Unit unit) {
    for (const std::string& family : families)
        if (create(family, size, style, unit))
            return true;
    return false;
}

bool FontObject::fromDefaultGuiFont() {
    font_.reset();
    LOGFONTA logFont{};
    if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont) == 0)
        return noteDrawStatus(Gdiplus::GenericError);
    HDC screen = GetDC(nullptr);
    const bool ok =
        font_.recreate([&](Gdiplus::GpFont** out) { return GdipCreateFontFromLogfontA(screen, &logFont, out); });
    ReleaseDC(nullptr, screen);
    return ok;
}

std::string FontObject::familyName() const {
    Gdiplus::GpFontFamily* family = nullptr;
    if (!font_ || !noteDrawStatus(GdipGetFamily(font_.get(), &family)))
        return {};
    WCHAR name[LF_FACESIZE] = {};
    noteDrawStatus(GdipGetFamilyName(family, name, LANG_NEUTRAL));
    GdipDeleteFontFamily(family);
    return wideToGbk(name);
}

float FontObject::size() const {
    float value = 0;
    noteDrawStatus(GdipGetFontSize(font_.get(), &value));
    return value;
}

bool StringFormatObject::create(int flags) {
    return format_.recreate([&](Gdiplus::GpStringFormat** out) { return GdipCreateStringFormat(flags, LANG_NEUTRAL, out); });
}

bool StringFormatObject::setAlign(Gdiplus::StringAlignment align) {
    return noteDrawStatus(GdipSetStringFormatAlign(format_.get(), align));
}

bool StringFormatObject::setLineAlign(Gdiplus::StringAlignment align) {
    return noteDrawStatus(GdipSetStringFormatLineAlign(format_.get(), align));
}

bool PathObject::create(Gdiplus::FillMode mode) {
    return path_.recreate([&](Gdiplus::GpPath** out) { return GdipCreatePath(mode, out); });
}

CornerSize roundRectCorner(int width, int height, int percent) {
    const int p = std::clamp(percent, 1, 100);
    return {width * p / 100, height * p / 100};
}

bool PathObject::addRoundRect(int x, int y, int width, int height, int percent) {
    return addRoundRectCorners(x, y, width, height, roundRectCorner(width, height, percent));
}

bool PathObject::addRoundRectCorners(int x, int y, int width, int height, CornerSize c) {
    const bool ok = noteDrawStatus(GdipAddPathArcI(path_.get(), x + width - c.width, y, c.width, c.height, 270, 90)) &&
                    noteDrawStatus(GdipAddPathArcI(path_.get(), x + width - c.width, y + height - c.height, c.width,
                                                   c.height, 0, 90)) &&
                    noteDrawStatus(GdipAddPathArcI(path_.get(), x, y + height - c.height, c.width, c.height, 90, 90)) &&
                    noteDrawStatus(GdipAddPathArcI(path_.get(), x, y, c.width, c.height, 180, 90));
    return noteDrawStatus(GdipClosePathFigure(path_.get())) && ok;
}

int PathObject::pointCount() const {
    INT count = 0;
    noteDrawStatus(GdipGetPointCount(path_.get(), &count));
    return count;
}

Gdiplus::RectF PathObject::bounds() const {
    Gdiplus::RectF rect;
    noteDrawStatus(GdipGetPathWorldBounds(path_.get(), &rect, nullptr, nullptr));
    return rect;
}

} // namespace corvina
