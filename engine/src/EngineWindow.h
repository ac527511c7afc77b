// The engine's video window: a child of the caller's window that shows the
// current picture (or the idle logo on black) and hands input and engine events
// to the caller's callbacks on the thread that created it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace engine {

// A 32-bit top-down BGRA picture (alpha unused: presented opaque).
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    bool empty() const { return width <= 0 || height <= 0; }
};

struct Callbacks {
    void* message = nullptr;        // cb1
    void* buffering = nullptr;      // cb5
    void* missingDecoder = nullptr; // cb7
};

class EngineWindow {
  public:
    EngineWindow() = default;
    ~EngineWindow();
    EngineWindow(const EngineWindow&) = delete;
    EngineWindow& operator=(const EngineWindow&) = delete;

    [[nodiscard]] bool create(HWND parent, int x, int y, int width, int height, const Callbacks& callbacks);
    HWND hwnd() const { return hwnd_; }

    // Copies the bitmap's pixels; the caller keeps the handle.
    bool setLogo(HBITMAP logo);

    // Shows a picture (any thread). An empty picture returns to the idle logo.
    // The picture is swapped in: `picture` comes back holding the previously
    // shown one, so a caller that converts into it again reuses its memory
    // instead of allocating 3.6 MB per 1280x720 frame.
    void present(Picture& picture);
    void showLogo();

    // Hand an event to the creating thread's callbacks (any thread).
    void postBuffering(int percent);
    void postMissingDecoder(const std::string& name);

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc);

    HWND hwnd_ = nullptr;
    Callbacks callbacks_;
    mutable std::mutex mutex_;
    Picture logo_;
    Picture picture_;
    bool showingPicture_ = false;
};

} // namespace engine
