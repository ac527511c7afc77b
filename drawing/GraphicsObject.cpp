#include "GraphicsObject.h"

#include "DrawStatus.h"

namespace corvina {

using namespace Gdiplus::DllExports;

bool GraphicsObject::createFromDc(HDC dc) {
    reset();
    Gdiplus::GpGraphics* created = nullptr;
    if (!noteDrawStatus(GdipCreateFromHDC(dc, &created)))
        return false;
    graphics_ = created;
    return true;
}

bool GraphicsObject::reset() {
    if (!graphics_)
        return true;
    const bool ok = noteDrawStatus(GdipDeleteGraphics(graphics_));
    graphics_ = nullptr;
    return ok;
}

bool GraphicsObject::clear(Gdiplus::ARGB color) {
    return noteDrawStatus(GdipGraphicsClear(graphics_, color));
}

bool GraphicsObject::fillRectangle(const SolidBrush& brush, int x, int y, int width, int height) {
    return noteDrawStatus(GdipFillRectangleI(graphics_, brush.native(), x, y, width, height));
}

bool GraphicsObject::flush() {
    return noteDrawStatus(GdipFlush(graphics_, Gdiplus::FlushIntentionFlush));
}

bool SolidBrush::create(Gdiplus::ARGB color) {
    reset();
    Gdiplus::GpSolidFill* created = nullptr;
    if (!noteDrawStatus(GdipCreateSolidFill(color, &created)))
        return false;
    brush_ = created;
    return true;
}

void SolidBrush::reset() {
    if (brush_)
        noteDrawStatus(GdipDeleteBrush(brush_));
    brush_ = nullptr;
}

} // namespace corvina
