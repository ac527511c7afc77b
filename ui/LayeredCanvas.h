// The output surface of a layered window host: an off-screen surface of the
// window's size (GraphicsObject's own, so every drawing operation works on
// it), bound to one top-level window that it makes layered and presents with
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
    // Shows only an area of the surface (the window stays where it is);
    // falls back to a whole present where partial updates are refused.
    bool presentArea(int x, int y, int width, int height);
    bool updateLayered(HWND window, int x, int y, int width, int height, HDC source, int alpha);
    // Makes the area transparent black.
    bool clearRect(int x, int y, int width, int height) { return native() && clearArea(x, y, width, height); }
    // The constant alpha of every present; only while bound.
    bool setAlpha(int alpha);

    HBITMAP bitmap() const { return surfaceBitmap(); }
    int alpha() const { return alpha_; }
    int width() const { return surfaceWidth(); }
    int height() const { return surfaceHeight(); }
    HDC memoryDc() const { return surfaceDc(); }
    HWND window() const { return window_; }

  private:
    LONG_PTR savedExStyle_ = 0;
    HWND window_ = nullptr;
    int alpha_ = 0;
};

} // namespace corvina
