// A GDI+ bitmap (or any GDI+ image), owned.
#pragma once

#include <windows.h>

#include <objidl.h> // gdiplus.h needs it, also under WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include <string>

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

    Gdiplus::GpBitmap* native() const { return bitmap_; }
    // A bitmap over premultiplied BGRA pixels the caller keeps alive (no
    // copy); `stride` is negative for bottom-up rows, `scan0` the top row.
    bool fromPixels(int width, int height, int stride, void* scan0);

    // Saves with the encoder of `format` (an image-format GUID as text; PNG
    // when empty). False when no encoder has that format.
    bool saveToStream(IStream* stream, const std::string& format) const;

  private:
    void reset();
    Gdiplus::GpBitmap* bitmap_ = nullptr;
};

// The CLSID of the encoder for `format` (GUID text, PNG when empty).
bool encoderFor(const std::string& format, CLSID& encoder);

} // namespace corvina
