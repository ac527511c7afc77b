// The program's skin for standard windows: themes the standard controls of
// its own windows (tab control, edits, buttons, labels, the list view and its
// header) in the dark colours of the skinned frames. Two calls, as a skin
// library has them: attach a skin by number with a colour shift, and switch
// the glass effect on (which does nothing where the platform has none for
// these windows). What is themed stays working: only painting and colours
// change. The list view's scroll bars are the system's and keep its look.
#pragma once

#include "UniqueGdiObject.h"

#include <windows.h>

namespace corvina {

class Skin {
  public:
    struct Palette {
        COLORREF window;      // dialog and page background
        COLORREF face;        // buttons, tabs, header
        COLORREF facePressed; // a pushed button, the selected tab
        COLORREF field;       // edits and the list
        COLORREF text;
        COLORREF textDisabled;
        COLORREF border;
        COLORREF accent;      // the selected tab's mark, the list's selection
    };

    Skin() = default;
    Skin(const Skin&) = delete;
    Skin& operator=(const Skin&) = delete;

    // Skins 1 to 7; the accent colour turns by `hue` degrees (-180..180).
    // Saturation and brightness shifts are taken and not applied. False, and
    // nothing changes, for an unknown skin.
    bool attach(int number, int hue, int saturation = 0, int brightness = 0);
    // Whether the platform offers the effect for these windows; it does not
    // here, so nothing changes.
    bool setAero(bool on);
    // Themes `window` and every window inside it (made before, or since).
    void themeTree(HWND window);

    bool attached() const { return number_ != 0; }
    const Palette& palette() const { return palette_; }

  private:
    enum Kind : UINT_PTR { Container = 1, Tabs, Header };
    void themeWindow(HWND window);
    LRESULT colours(UINT message, HDC dc) const;
    void paintTabs(HWND tabs) const;
    void paintHeader(HWND header) const;
    void drawButton(const DRAWITEMSTRUCT& item) const;
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR skin);

    int number_ = 0;
    bool aero_ = false;
    Palette palette_{};
    UniqueGdiObject<HBRUSH> windowBrush_;
    UniqueGdiObject<HBRUSH> fieldBrush_;
};

// The accent colour turned by `degrees` on the colour wheel (lightness and
// saturation kept).
COLORREF turnHue(COLORREF colour, int degrees);

} // namespace corvina
