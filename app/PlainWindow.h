// Base of the program's own top-level windows: creates the window with the
// object attached and routes its messages to handleMessage.
#pragma once

#include <windows.h>

#include <string>

namespace corvina {

class PlainWindow {
  public:
    PlainWindow() = default;
    virtual ~PlainWindow();
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool loaded() const { return hwnd_ != nullptr; }
    RECT screenRect() const;

  protected:
    [[nodiscard]] bool createWindow(DWORD exStyle, const std::wstring& title, DWORD style, int x, int y,
                                    int width, int height, HWND owner);
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

} // namespace corvina
