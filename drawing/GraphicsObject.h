// A GDI+ graphics context, owned. The base of every surface that draws (the
// layered canvas among them).
#pragma once

#include <windows.h>

#include <objidl.h> // gdiplus.h needs it, also under WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

namespace corvina {

class SolidBrush;

class GraphicsObject {
  public:
    GraphicsObject() = default;
    virtual ~GraphicsObject() { reset(); }
    GraphicsObject(const GraphicsObject&) = delete;
    GraphicsObject& operator=(const GraphicsObject&) = delete;

    Gdiplus::GpGraphics* native() const { return graphics_; }
    // Opens a graphics on `dc`, replacing the one held.
    bool createFromDc(HDC dc);

    bool clear(Gdiplus::ARGB color);
    bool fillRectangle(const SolidBrush& brush, int x, int y, int width, int height);
    bool flush();

  protected:
    // Deletes the held graphics; true when GDI+ said Ok (or none was held).
    bool reset();

  private:
    Gdiplus::GpGraphics* graphics_ = nullptr;
};

// A solid brush, owned.
class SolidBrush {
  public:
    SolidBrush() = default;
    explicit SolidBrush(Gdiplus::ARGB color) { create(color); }
    ~SolidBrush() { reset(); }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;

    Gdiplus::GpSolidFill* native() const { return brush_; }
    bool create(Gdiplus::ARGB color); // replaces the brush held

  private:
    void reset();
    Gdiplus::GpSolidFill* brush_ = nullptr;
};

} // namespace corvina
