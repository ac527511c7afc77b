#include "GraphicsObject.h"

#include "BitmapObject.h"
#include "DrawObjects.h"
#include "DrawStatus.h"
#include "MemoryStream.h"
#include "TextConvert.h"
#include "TopDownBitmapInfo.h"

#include <algorithm>
#include <cstring>

namespace corvina {

using namespace Gdiplus::DllExports;

namespace {
constexpr int kGenericError = 1; // GDI+ GenericError, kept for GDI failures too
} // namespace

bool GraphicsObject::createFromDc(HDC dc) {
    releaseSurface();
    return graphics_.recreate([&](Gdiplus::GpGraphics** out) { return GdipCreateFromHDC(dc, out); });
}

bool GraphicsObject::createFromWindow(HWND window) {
    releaseSurface();
    return graphics_.recreate([&](Gdiplus::GpGraphics** out) { return GdipCreateFromHWND(window, out); });
}

bool GraphicsObject::createSurface(int width, int height) {
    releaseSurface();
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    const int w = std::max(width_, 1), h = std::max(height_, 1);
    const BITMAPINFO info = topDownBitmapInfo(w, h); // row y at bits + y * w
    void* data = nullptr;
    surfaceDc_ = CreateCompatibleDC(nullptr);
    dib_ = surfaceDc_ ? CreateDIBSection(surfaceDc_, &info, DIB_RGB_COLORS, &data, nullptr, 0) : nullptr;
    if (!dib_) {
        lastDrawStatus = kGenericError;
        releaseSurface();
        return false;
    }
    bits_ = static_cast<uint32_t*>(data);
    previousBitmap_ = SelectObject(surfaceDc_, dib_);
    SetBkMode(surfaceDc_, TRANSPARENT);
    // GDI+ draws through a bitmap over the section's own pixels: a graphics
    // opened on the DC would treat them as opaque RGB and lose the alpha.
    const bool ok =
        surfaceImage_.recreate([&](Gdiplus::GpBitmap** out) {
            return GdipCreateBitmapFromScan0(w, h, w * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(bits_), out);
        }) &&
        graphics_.recreate(
            [&](Gdiplus::GpGraphics** out) { return GdipGetImageGraphicsContext(surfaceImage_.get(), out); });
    if (!ok)
        releaseSurface();
    return ok;
}

void GraphicsObject::releaseSurface() {
    reset();
    surfaceImage_.reset(); // after the graphics that draws into it
    if (previousBitmap_)
        SelectObject(surfaceDc_, previousBitmap_);
    previousBitmap_ = nullptr;
    if (dib_)
        DeleteObject(dib_);
    dib_ = nullptr;
    if (surfaceDc_)
        DeleteDC(surfaceDc_);
    surfaceDc_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
}

void GraphicsObject::sync() const {
    if (graphics_.get())
        GdipFlush(graphics_.get(), Gdiplus::FlushIntentionSync);
    GdiFlush();
}

uint32_t GraphicsObject::pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    sync();
    return bits_[static_cast<size_t>(y) * width_ + x];
}

bool GraphicsObject::clearArea(int x, int y, int width, int height) {
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + width, width_), bottom = std::min(y + height, height_);
    if (!bits_ || right <= left || bottom <= top)
        return false;
    sync();
    for (int row = top; row < bottom; ++row)
        std::memset(bits_ + static_cast<size_t>(row) * width_ + left, 0, static_cast<size_t>(right - left) * 4);
    return true;
}

bool GraphicsObject::blendTo(HDC target, int x, int y, int alpha, bool perPixelAlpha) const {
    if (!surfaceDc_ || width_ <= 0 || height_ <= 0)
        return false;
    sync();
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)),
                        static_cast<BYTE>(perPixelAlpha ? AC_SRC_ALPHA : 0)};
    const bool ok = AlphaBlend(target, x, y, width_, height_, surfaceDc_, 0, 0, width_, height_, blend) != FALSE;
    if (!ok)
        lastDrawStatus = kGenericError;
    return ok;
}

bool GraphicsObject::copyFrom(const GraphicsObject& source) {
    if (!surfaceDc_ || !source.surfaceDc_)
        return false;
    source.sync();
    sync();
    return BitBlt(surfaceDc_, 0, 0, std::min(width_, source.width_), std::min(height_, source.height_),
                  source.surfaceDc_, 0, 0, SRCCOPY) != FALSE;
}

std::vector<uint8_t> GraphicsObject::snapshot(const std::string& format) const {
    if (!bits_)
        return {};
    sync();
    const int w = std::max(width_, 1), h = std::max(height_, 1);
    BitmapObject image;
    MemoryStream stream;
    if (!image.fromPixels(w, h, w * 4, bits_) || !stream.create({}) || !image.saveToStream(stream.stream(), format))
        return {};
    return stream.toBytes();
}

bool GraphicsObject::clear(Gdiplus::ARGB color) {
    GdiFlush();
    return noteDrawStatus(GdipGraphicsClear(graphics_.get(), color));
}

bool GraphicsObject::fillRectangle(const SolidBrush& brush, int x, int y, int width, int height) {
    GdiFlush();
    return noteDrawStatus(GdipFillRectangleI(graphics_.get(), brush.native(), x, y, width, height));
}

bool GraphicsObject::fillRectangle(Gdiplus::GpBrush* brush, float x, float y, float width, float height) {
    GdiFlush();
    return noteDrawStatus(GdipFillRectangle(graphics_.get(), brush, x, y, width, height));
}

bool GraphicsObject::drawRectangle(const PenObject& pen, int x, int y, int width, int height) {
    GdiFlush();
    return noteDrawStatus(GdipDrawRectangleI(graphics_.get(), pen.native(), x, y, width, height));
}

bool GraphicsObject::drawLine(const PenObject& pen, int x1, int y1, int x2, int y2) {
    GdiFlush();
    return noteDrawStatus(GdipDrawLineI(graphics_.get(), pen.native(), x1, y1, x2, y2));
}

bool GraphicsObject::drawString(const std::string& text, const FontObject& font, float x, float y, float width,
                                float height, const StringFormatObject& format, const SolidBrush& brush) {
    return drawString(text, font, x, y, width, height, format, brush.native());
}

bool GraphicsObject::drawString(const std::string& text, const FontObject& font, float x, float y, float width,
                                float height, const StringFormatObject& format, Gdiplus::GpBrush* brush) {
    GdiFlush();
    const std::wstring wide = gbkToWide(text);
    const Gdiplus::RectF layout(x, y, width, height);
    return noteDrawStatus(GdipDrawString(graphics_.get(), wide.c_str(), static_cast<INT>(wide.size()), font.native(),
                                         &layout, format.native(), brush));
}

bool GraphicsObject::drawImageRect(const BitmapObject& image, int x, int y, int width, int height,
                                   Gdiplus::GpImageAttributes* attributes) {
    GdiFlush();
    return noteDrawStatus(GdipDrawImageRectRectI(graphics_.get(), image.native(), x, y, width, height, 0, 0,
                                                 image.width(), image.height(), Gdiplus::UnitPixel, attributes,
                                                 nullptr, nullptr));
}

bool GraphicsObject::drawEllipse(const PenObject& pen, float x, float y, float width, float height) {
    GdiFlush();
    return noteDrawStatus(GdipDrawEllipse(graphics_.get(), pen.native(), x, y, width, height));
}

bool GraphicsObject::fillEllipse(Gdiplus::GpBrush* brush, float x, float y, float width, float height) {
    GdiFlush();
    return noteDrawStatus(GdipFillEllipse(graphics_.get(), brush, x, y, width, height));
}

bool GraphicsObject::fillPath(Gdiplus::GpBrush* brush, Gdiplus::GpPath* path) {
    GdiFlush();
    return noteDrawStatus(GdipFillPath(graphics_.get(), brush, path));
}

bool GraphicsObject::drawLine(const PenObject& pen, float x1, float y1, float x2, float y2) {
    GdiFlush();
    return noteDrawStatus(GdipDrawLine(graphics_.get(), pen.native(), x1, y1, x2, y2));
}

bool GraphicsObject::setSmoothingMode(int mode) {
    return noteDrawStatus(GdipSetSmoothingMode(graphics_.get(), static_cast<Gdiplus::SmoothingMode>(mode)));
}

bool GraphicsObject::drawImageRect(const BitmapObject& image, int x, int y, int width, int height) {
    GdiFlush();
    return noteDrawStatus(GdipDrawImageRectI(graphics_.get(), image.native(), x, y, width, height));
}

bool GraphicsObject::drawImageRectRect(const BitmapObject& image, int x, int y, int width, int height, int sx, int sy,
                                       int sw, int sh) {
    GdiFlush();
    return noteDrawStatus(GdipDrawImageRectRectI(graphics_.get(), image.native(), x, y, width, height, sx, sy, sw, sh,
                                                 Gdiplus::UnitPixel, nullptr, nullptr, nullptr));
}

bool GraphicsObject::setClipRect(int x, int y, int width, int height, Gdiplus::CombineMode mode) {
    return noteDrawStatus(GdipSetClipRectI(graphics_.get(), x, y, width, height, mode));
}

bool GraphicsObject::resetClip() { return noteDrawStatus(GdipResetClip(graphics_.get())); }

bool GraphicsObject::setInterpolationMode(int mode) {
    return noteDrawStatus(GdipSetInterpolationMode(graphics_.get(), static_cast<Gdiplus::InterpolationMode>(mode)));
}

bool GraphicsObject::setTextRenderingHint(int hint) {
    return noteDrawStatus(GdipSetTextRenderingHint(graphics_.get(), static_cast<Gdiplus::TextRenderingHint>(hint)));
}

bool GraphicsObject::setPixelOffsetMode(int mode) {
    return noteDrawStatus(GdipSetPixelOffsetMode(graphics_.get(), static_cast<Gdiplus::PixelOffsetMode>(mode)));
}

bool GraphicsObject::flush() { return noteDrawStatus(GdipFlush(graphics_.get(), Gdiplus::FlushIntentionFlush)); }

bool SolidBrush::create(Gdiplus::ARGB color) {
    return brush_.recreate([&](Gdiplus::GpSolidFill** out) { return GdipCreateSolidFill(color, out); });
}

bool SolidBrush::setColor(Gdiplus::ARGB color) {
    return noteDrawStatus(GdipSetSolidFillColor(brush_.get(), color));
}

bool GradientBrush::create(float x, float y, float width, float height, Gdiplus::ARGB from, Gdiplus::ARGB to,
                           float angle, bool angleScalable) {
    const Gdiplus::RectF rect(x, y, width, height);
    return brush_.recreate([&](Gdiplus::GpLineGradient** out) {
        return GdipCreateLineBrushFromRectWithAngle(&rect, from, to, angle, angleScalable ? TRUE : FALSE,
                                                    Gdiplus::WrapModeTile, out);
    });
}

bool ImageAttributesObject::create() {
    return attributes_.recreate([](Gdiplus::GpImageAttributes** out) { return GdipCreateImageAttributes(out); });
}

bool ImageAttributesObject::setColourKey(Gdiplus::ARGB low, Gdiplus::ARGB high) {
    return noteDrawStatus(
        GdipSetImageAttributesColorKeys(attributes_.get(), Gdiplus::ColorAdjustTypeDefault, TRUE, low, high));
}

} // namespace corvina
