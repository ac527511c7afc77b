#include "BitmapObject.h"

#include "DrawStatus.h"
#include "PngDecoder.h"

#include "TextConvert.h"

#include <cmath>
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
    return bitmap_.recreate([&](Gdiplus::GpBitmap** out) {
        return GdipCreateBitmapFromScan0(width, height, stride, PixelFormat32bppPARGB, static_cast<BYTE*>(scan0), out);
    });
}

namespace {
// The time dimension of an image's frames ({6AEDBD6D-3FB5-418A-83A6-7F45229DC872}).
constexpr GUID kFrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
} // namespace

bool BitmapObject::fromPixelsCopy(int width, int height, int stride, const void* scan0) {
    return copyPixels(width, height, stride, scan0, PixelFormat32bppPARGB);
}

bool BitmapObject::copyPixels(int width, int height, int stride, const void* scan0,
                              Gdiplus::PixelFormat format) {
    reset();
    if (!bitmap_.recreate([&](Gdiplus::GpBitmap** out) {
            return GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, out);
        }))
        return false;
    const Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    data.Width = static_cast<UINT>(width);
    data.Height = static_cast<UINT>(height);
    data.Stride = stride;
    data.PixelFormat = format;
    data.Scan0 = const_cast<void*>(scan0);
    // Written from the caller's memory straight into the bitmap's own.
    if (!noteDrawStatus(GdipBitmapLockBits(bitmap_.get(), &all,
                                           Gdiplus::ImageLockModeWrite | Gdiplus::ImageLockModeUserInputBuf,
                                           format, &data)))
        return false;
    return noteDrawStatus(GdipBitmapUnlockBits(bitmap_.get(), &data));
}

std::string BitmapObject::rawFormat() const {
    GUID format{};
    if (!bitmap_ || !noteDrawStatus(GdipGetImageRawFormat(bitmap_.get(), &format)))
        return {};
    wchar_t text[64] = {};
    StringFromGUID2(format, text, 64);
    std::string out;
    for (const wchar_t* c = text; *c; ++c)
        out.push_back(static_cast<char>(*c));
    return out;
}

int BitmapObject::frameCount() const {
    if (!bitmap_)
        return 0;
    const GUID time = kFrameDimensionTime;
    UINT count = 0;
    if (GdipImageGetFrameCount(bitmap_.get(), &time, &count) != Gdiplus::Ok)
        return 1;
    return static_cast<int>(count);
}

std::vector<int> BitmapObject::frameDelays() const {
    std::vector<int> delays;
    UINT size = 0;
    if (!bitmap_ || GdipGetPropertyItemSize(bitmap_.get(), 0x5100, &size) != Gdiplus::Ok || size < sizeof(Gdiplus::PropertyItem))
        return delays;
    std::vector<uint8_t> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (GdipGetPropertyItem(bitmap_.get(), 0x5100, size, item) != Gdiplus::Ok || !item->value)
        return delays;
    const auto* values = static_cast<const int32_t*>(item->value);
    for (ULONG i = 0; i < item->length / sizeof(int32_t); ++i)
        delays.push_back(values[i]);
    return delays;
}

bool BitmapObject::selectFrame(int index) {
    const GUID time = kFrameDimensionTime;
    return bitmap_ && noteDrawStatus(GdipImageSelectActiveFrame(bitmap_.get(), &time, static_cast<UINT>(index)));
}

bool BitmapObject::rotateFlip(int type) {
    return bitmap_ && noteDrawStatus(GdipImageRotateFlip(bitmap_.get(), static_cast<Gdiplus::RotateFlipType>(type)));
}

bool BitmapObject::saveToStream(IStream* stream, const std::string& format) const {
    CLSID encoder{};
    if (!encoderFor(format, encoder))
        return false;
    return noteDrawStatus(GdipSaveImageToStream(bitmap_.get(), stream, &encoder, nullptr));
}

bool BitmapObject::fromBytes(const std::vector<uint8_t>& bytes) {
    reset();
    if (bytes.empty())
        return noteDrawStatus(Gdiplus::InvalidParameter);
    // The program's own pictures (8-bit RGB or RGBA PNG) are decoded here into
    // the pixel format the platform's decoder gives them: the platform takes
    // about a millisecond a picture, and 13 ms for the first of a process.
    if (DecodedImage image; decodePng(bytes.data(), bytes.size(), image, PngAlpha::Straight))
        return copyPixels(image.width, image.height, image.width * 4, image.pixels.data(),
                          PixelFormat32bppARGB);
    if (!source_.create(bytes))
        return noteDrawStatus(Gdiplus::OutOfMemory);
    if (!bitmap_.recreate([&](Gdiplus::GpBitmap** out) { return GdipCreateBitmapFromStream(source_.stream(), out); })) {
        source_.release();
        return false;
    }
    return true;
}

bool BitmapObject::fromIcon(HICON icon) {
    reset();
    if (!icon)
        return noteDrawStatus(Gdiplus::InvalidParameter);
    return bitmap_.recreate([&](Gdiplus::GpBitmap** out) { return GdipCreateBitmapFromHICON(icon, out); });
}

int BitmapObject::width() const {
    UINT value = 0;
    noteDrawStatus(GdipGetImageWidth(bitmap_.get(), &value));
    return static_cast<int>(value);
}

int BitmapObject::height() const {
    UINT value = 0;
    noteDrawStatus(GdipGetImageHeight(bitmap_.get(), &value));
    return static_cast<int>(value);
}

uint32_t BitmapObject::pixel(int x, int y) const {
    Gdiplus::ARGB value = 0;
    if (!bitmap_ || !noteDrawStatus(GdipBitmapGetPixel(bitmap_.get(), x, y, &value)))
        return 0;
    // Straight ARGB from GDI+, premultiplied here like every surface.
    const uint32_t a = value >> 24;
    auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | mul(value >> 16 & 0xFF) << 16 | mul(value >> 8 & 0xFF) << 8 | mul(value & 0xFF);
}

TurnedSize turnedBounds(int width, int height, float degrees) {
    const double r = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::fabs(std::cos(r)), s = std::fabs(std::sin(r));
    // Rounded, so that 90 degrees of a 40 x 20 image is 20 x 40 and not 19.
    return {static_cast<int>(std::lround(width * c + height * s)), static_cast<int>(std::lround(width * s + height * c))};
}

bool BitmapObject::rotate(float degrees, bool fit, const Gdiplus::ARGB* background, int interpolation) {
    if (!bitmap_)
        return noteDrawStatus(Gdiplus::InvalidParameter);
    const int w = width(), h = height();
    const TurnedSize size = fit ? turnedBounds(w, h, degrees) : TurnedSize{w, h};
    Gdiplus::REAL dpiX = 96, dpiY = 96;
    GdipGetImageHorizontalResolution(bitmap_.get(), &dpiX);
    GdipGetImageVerticalResolution(bitmap_.get(), &dpiY);
    Gdiplus::GpBitmap* turned = nullptr;
    if (!noteDrawStatus(GdipCreateBitmapFromScan0(size.width, size.height, 0, PixelFormat32bppARGB, nullptr, &turned)))
        return false;
    GdipBitmapSetResolution(turned, dpiX, dpiY);
    Gdiplus::GpGraphics* g = nullptr;
    bool ok = noteDrawStatus(GdipGetImageGraphicsContext(turned, &g));
    if (ok) {
        if (background)
            GdipGraphicsClear(g, *background);
        if (interpolation >= 0)
            GdipSetInterpolationMode(g, static_cast<Gdiplus::InterpolationMode>(interpolation));
        // About the centre of the new bitmap, then the image centred on it.
        GdipTranslateWorldTransform(g, size.width / 2.0f, size.height / 2.0f, Gdiplus::MatrixOrderPrepend);
        GdipRotateWorldTransform(g, degrees, Gdiplus::MatrixOrderPrepend);
        GdipTranslateWorldTransform(g, -w / 2.0f, -h / 2.0f, Gdiplus::MatrixOrderPrepend);
        ok = noteDrawStatus(GdipDrawImageRectI(g, bitmap_.get(), 0, 0, w, h));
        GdipDeleteGraphics(g);
    }
    if (!ok) {
        GdipDisposeImage(turned);
        return false;
    }
    bitmap_.adopt(turned);
    source_.release(); // the turned copy needs no source
    return true;
}

bool BitmapObject::saveToFile(const std::string& fileName, const std::string& format) const {
    CLSID encoder{};
    if (!encoderFor(format, encoder))
        return false;
    const std::wstring name = gbkToWide(fileName);
    return noteDrawStatus(GdipSaveImageToFile(bitmap_.get(), name.c_str(), &encoder, nullptr));
}

void BitmapObject::reset() {
    bitmap_.reset();
    source_.release(); // after the image that reads it
}

} // namespace corvina
