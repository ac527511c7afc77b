// A GDI+ graphics context, owned, optionally over an off-screen surface of
// its own. The base of every surface that draws (the layered canvas, the
// layers of the hosts and the surfaces of the controls).
#pragma once

#include "NativeObject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvina {

class BitmapObject;
class FontObject;
class PenObject;
class SolidBrush;
class StringFormatObject;

class GraphicsObject {
  public:
    GraphicsObject() = default;
    virtual ~GraphicsObject() { releaseSurface(); }
    GraphicsObject(const GraphicsObject&) = delete;
    GraphicsObject& operator=(const GraphicsObject&) = delete;

    Gdiplus::GpGraphics* native() const { return graphics_.get(); }
    // Opens a graphics on `dc`, replacing the one held (and any surface).
    bool createFromDc(HDC dc);
    // Opens a graphics on a window, replacing the one held (and any surface).
    bool createFromWindow(HWND window);

    // The off-screen surface: a memory DC with a 32-bit top-down DIB section
    // selected, cleared to transparent black, and the graphics drawing into
    // the same pixels (premultiplied BGRA, see DrawStatus.h). GDI blits and
    // AlphaBlend use `surfaceDc()`, GDI+ draws through this object. A size
    // below 1 keeps a 1x1 section that nothing shows.
    bool createSurface(int width, int height);
    void releaseSurface();
    bool resizeSurface(int width, int height) { return createSurface(width, height); }
    bool hasSurface() const { return surfaceDc_ != nullptr; }
    HDC surfaceDc() const { return surfaceDc_; }
    HBITMAP surfaceBitmap() const { return dib_; }
    int surfaceWidth() const { return width_; }
    int surfaceHeight() const { return height_; }
    // Premultiplied BGRA, top row first, width * 4 bytes a row.
    uint32_t* pixels() const { return bits_; }
    // Finishes what GDI+ and GDI have queued, so either side may read.
    void sync() const;
    // A pixel as premultiplied BGRA (0 outside the surface).
    uint32_t pixel(int x, int y) const;
    // Sets an area of the surface (clipped to it) to transparent black;
    // false when nothing of it lies on the surface.
    bool clearArea(int x, int y, int width, int height);
    // Blends the whole surface onto `target` at (x, y): source-over, `alpha`
    // as the constant alpha, with or without the per-pixel alpha.
    bool blendTo(HDC target, int x, int y, int alpha = 255, bool perPixelAlpha = true) const;
    // Copies `source`'s pixels over this surface's from the top-left corner
    // (as much as both surfaces hold).
    bool copyFrom(const GraphicsObject& source);
    // The surface as an image file (PNG when `format` is empty); empty when
    // there is no surface or no encoder has that format.
    std::vector<uint8_t> snapshot(const std::string& format) const;

    bool clear(Gdiplus::ARGB color);
    bool fillRectangle(const SolidBrush& brush, int x, int y, int width, int height);
    // Any brush over a rectangle in world units (bands of fractional width).
    bool fillRectangle(Gdiplus::GpBrush* brush, float x, float y, float width, float height);
    bool drawRectangle(const PenObject& pen, int x, int y, int width, int height);
    bool drawLine(const PenObject& pen, int x1, int y1, int x2, int y2);
    // `text` is GBK; the layout rectangle is in world units.
    bool drawString(const std::string& text, const FontObject& font, float x, float y, float width, float height,
                    const StringFormatObject& format, const SolidBrush& brush);
    // Any brush (a gradient) for the text.
    bool drawString(const std::string& text, const FontObject& font, float x, float y, float width, float height,
                    const StringFormatObject& format, Gdiplus::GpBrush* brush);
    bool drawImageRect(const BitmapObject& image, int x, int y, int width, int height);
    // Drawn through image attributes (a colour key); null draws plainly.
    bool drawImageRect(const BitmapObject& image, int x, int y, int width, int height,
                       Gdiplus::GpImageAttributes* attributes);
    bool drawEllipse(const PenObject& pen, float x, float y, float width, float height);
    bool fillEllipse(Gdiplus::GpBrush* brush, float x, float y, float width, float height);
    bool fillPath(Gdiplus::GpBrush* brush, Gdiplus::GpPath* path);
    bool drawLine(const PenObject& pen, float x1, float y1, float x2, float y2);
    bool setSmoothingMode(int mode);
    // The area (sx, sy, sw, sh) of `image`, in pixels, into (x, y, width, height).
    bool drawImageRectRect(const BitmapObject& image, int x, int y, int width, int height, int sx, int sy, int sw,
                           int sh);
    bool setClipRect(int x, int y, int width, int height, Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
    bool resetClip();
    bool setInterpolationMode(int mode);
    bool setTextRenderingHint(int hint);
    bool setPixelOffsetMode(int mode);
    bool flush();

  protected:
    // Deletes the held graphics; true when GDI+ said Ok (or none was held).
    bool reset() { return graphics_.reset(); }

  private:
    NativeObject<Gdiplus::GpGraphics, Gdiplus::DllExports::GdipDeleteGraphics> graphics_;
    // GDI+'s view of the DIB section's pixels.
    NativeObject<Gdiplus::GpBitmap, Gdiplus::DllExports::GdipDisposeImage> surfaceImage_;
    HDC surfaceDc_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// A solid brush, owned.
class SolidBrush {
  public:
    SolidBrush() = default;
    explicit SolidBrush(Gdiplus::ARGB color) { create(color); }

    Gdiplus::GpSolidFill* native() const { return brush_.get(); }
    bool create(Gdiplus::ARGB color); // replaces the brush held
    bool setColor(Gdiplus::ARGB color);

  private:
    NativeObject<Gdiplus::GpSolidFill, Gdiplus::DllExports::GdipDeleteBrush> brush_;
};

// A linear-gradient brush, owned.
class GradientBrush {
  public:
    Gdiplus::GpLineGradient* native() const { return brush_.get(); }
    // From `from` to `to` across the rectangle at `angle` degrees (0: left to
    // right), tiled; replaces the brush held. Fails, leaving the wrapper
    // empty, for an empty rectangle.
    bool create(float x, float y, float width, float height, Gdiplus::ARGB from, Gdiplus::ARGB to,
                float angle = 0.0f, bool angleScalable = false);

  private:
    NativeObject<Gdiplus::GpLineGradient, Gdiplus::DllExports::GdipDeleteBrush> brush_;
};

// Image attributes (a colour-key range), owned.
class ImageAttributesObject {
  public:
    Gdiplus::GpImageAttributes* native() const { return attributes_.get(); }
    bool create();
    // Pixels from `low` to `high` (each channel) draw transparent.
    bool setColourKey(Gdiplus::ARGB low, Gdiplus::ARGB high);

  private:
    NativeObject<Gdiplus::GpImageAttributes, Gdiplus::DllExports::GdipDisposeImageAttributes> attributes_;
};

} // namespace corvina
