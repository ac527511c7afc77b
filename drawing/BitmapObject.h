// A GDI+ bitmap (or any GDI+ image), owned.
#pragma once

#include "MemoryStream.h"
#include "NativeObject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvina {

// The text of the PNG image format's GDI+ identifier: what saving uses when
// no format is given.
inline constexpr const char* kPngFormat = "{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}";

class BitmapObject {
  public:
    BitmapObject() = default;
    ~BitmapObject() { reset(); }
    BitmapObject(const BitmapObject&) = delete;
    BitmapObject& operator=(const BitmapObject&) = delete;

    Gdiplus::GpBitmap* native() const { return bitmap_.get(); }
    // A bitmap over premultiplied BGRA pixels the caller keeps alive (no
    // copy); `stride` is negative for bottom-up rows, `scan0` the top row.
    bool fromPixels(int width, int height, int stride, void* scan0);
    // Decodes an image file held in memory. An 8-bit RGB or RGBA PNG is decoded
    // by the program itself into a 32-bit ARGB bitmap (as the platform's
    // decoder would make it); for any other file the stream it is read from
    // lives as long as the image (GDI+ may read it again at any time). Empty
    // or bad bytes leave the object empty.
    bool fromBytes(const std::vector<uint8_t>& bytes);
    // A copy of an icon's picture; false for no icon.
    bool fromIcon(HICON icon);
    bool empty() const { return !bitmap_; }
    void clear() { reset(); }
    int width() const;
    int height() const;
    // Turns the image by `degrees` about its centre onto a new 32-bit ARGB
    // bitmap of the same size, or with `fit` of the turned image's bounding
    // size; the new bitmap is filled with `background` first when given.
    bool rotate(float degrees, bool fit, const Gdiplus::ARGB* background = nullptr, int interpolation = -1);
    // A copy of premultiplied BGRA pixels (top row first, `stride` bytes a row).
    bool fromPixelsCopy(int width, int height, int stride, const void* scan0);
    // The raw format as GUID text ("{B96B3CB0-...}" for GIF); empty when empty.
    std::string rawFormat() const;
    // Animated images: the frames in the time dimension (1 for a still
    // image), the frame-delay property (tag 0x5100) in hundredths of a
    // second as stored (possibly fewer than the frames, or none), and the
    // frame shown.
    int frameCount() const;
    std::vector<int> frameDelays() const;
    bool selectFrame(int index);
    // Turns or mirrors the image in place (a GDI+ RotateFlipType).
    bool rotateFlip(int type);
    // Premultiplied BGRA of a pixel (0 outside or when empty).
    uint32_t pixel(int x, int y) const;

    // Saves with the encoder of `format` (an image-format GUID as text; PNG
    // when empty). False when no encoder has that format.
    bool saveToStream(IStream* stream, const std::string& format) const;
    bool saveToFile(const std::string& fileName, const std::string& format) const;

  private:
    // A bitmap of its own holding a copy of 32-bit pixels of `format`.
    bool copyPixels(int width, int height, int stride, const void* scan0, Gdiplus::PixelFormat format);
    void reset();
    NativeObject<Gdiplus::GpBitmap, Gdiplus::DllExports::GdipDisposeImage> bitmap_;
    MemoryStream source_;
};

// The bounding size of a width x height rectangle turned by `degrees`.
struct TurnedSize {
    int width;
    int height;
};
TurnedSize turnedBounds(int width, int height, float degrees);

// The CLSID of the encoder for `format` (GUID text, PNG when empty).
bool encoderFor(const std::string& format, CLSID& encoder);

} // namespace corvina
