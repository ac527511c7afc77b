#include "BitmapObject.h"

#include "DrawStatus.h"

#include <vector>

namespace corvina {

using namespace Gdiplus::DllExports;

bool encoderFor(const std::string& format, CLSID& encoder) {
    const std::string text = format.empty() ? kPngFormat : format;
    const std::wstring wide(text.begin(), text.end()); // a GUID's text is ASCII
    GUID wanted{};
    if (FAILED(CLSIDFromString(wide.c_str(), &wanted)))
        return false;
    UINT count = 0, bytes = 0;
    if (!noteDrawStatus(Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &bytes)) || bytes == 0)
        return false;
    std::vector<uint8_t> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (!noteDrawStatus(Gdiplus::DllExports::GdipGetImageEncoders(count, bytes, codecs)))
        return false;
    for (UINT i = 0; i < count; ++i)
        if (IsEqualGUID(codecs[i].FormatID, wanted)) {
            encoder = codecs[i].Clsid;
            return true;
        }
    return false;
}

bool BitmapObject::fromPixels(int width, int height, int stride, void* scan0) {
    reset();
    Gdiplus::GpBitmap* created = nullptr;
    if (!noteDrawStatus(GdipCreateBitmapFromScan0(width, height, stride, PixelFormat32bppPARGB,
                                                  static_cast<BYTE*>(scan0), &created)))
        return false;
    bitmap_ = created;
    return true;
}

bool BitmapObject::saveToStream(IStream* stream, const std::string& format) const {
    CLSID encoder{};
    if (!encoderFor(format, encoder))
        return false;
    return noteDrawStatus(GdipSaveImageToStream(bitmap_, stream, &encoder, nullptr));
}

void BitmapObject::reset() {
    if (bitmap_)
        noteDrawStatus(GdipDisposeImage(bitmap_));
    bitmap_ = nullptr;
}

} // namespace corvina
