// The output surface of a layered window host: a 32-bit DIB section of the
// window's size in a memory DC, with a GDI+ graphics opened on that DC (so
// every drawing operation of GraphicsObject works on it), bound to one
// top-level window that it makes layered and presents with
// UpdateLayeredWindow: per-pixel alpha plus one constant alpha.
#pragma once

#include "GraphicsObject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvina {

class LayeredCanvas : public GraphicsObject {
  public:
    LayeredCanvas() = default;
    ~LayeredCanvas() override { release(); }

    // Makes `window` layered (keeping its other extended styles), sizes the
    // surface to it and presents. False, and nothing done, for a window that
    // is not top-level.
    bool bind(HWND window);
    // Frees the surface and gives the window its extended style back.
    bool release();
    bool resize(int width, int height);
    // Shows the surface at the window's current place.
    bool presentAtWindow();
    bool updateLayered(HWND window, int x, int y, int width, int height, HDC source, int alpha);
    // Makes the area transparent black.
    bool clearRect(int x, int y, int width, int height);
    // The constant alpha of every present; only while bound.
    bool setAlpha(int alpha);
    // The surface as an image file (PNG when `format` is empty); empty when
    // there is no surface.
    std::vector<uint8_t> snapshot(const std::string& format) const;

    HBITMAP bitmap() const { return bitmap_; }
    int alpha() const { return alpha_; }
    int width() const { return width_; }
    int height() const { return height_; }
    HDC memoryDc() const { return memoryDc_; }
    HWND window() const { return window_; }
    // The surface's pixels: premultiplied BGRA, bottom-up rows of width * 4 bytes.
    const uint32_t* pixels() const { return bits_; }

  private:
    bool makeSurface(int width, int height);
    void dropSurface();

    HDC memoryDc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    LONG_PTR savedExStyle_ = 0;
    HWND window_ = nullptr;
    int alpha_ = 0;
};

} // namespace corvina
