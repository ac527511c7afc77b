#include "Skin.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace corvina {
namespace {

std::wstring textOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())), 0)));
    return text;
}

std::wstring classOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void frame(HDC dc, const RECT& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Text in the window's own font, in `colour`, over what is there.
void label(HDC dc, HWND owner, const std::wstring& text, RECT r, COLORREF colour, UINT format) {
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(owner, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    SelectObject(dc, old);
}

} // namespace

COLORREF turnHue(COLORREF colour, int degrees) {
    // Through HSL: only the hue turns.
    const double r = GetRValue(colour) / 255.0, g = GetGValue(colour) / 255.0, b = GetBValue(colour) / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b}), l = (high + low) / 2, d = high - low;
    if (d <= 0)
        return colour;
    const double s = d / (1 - std::abs(2 * l - 1));
    double h = high == r ? std::fmod((g - b) / d, 6.0) : high == g ? (b - r) / d + 2 : (r - g) / d + 4;
    h = std::fmod(h * 60 + degrees + 720, 360.0);
    const double c = (1 - std::abs(2 * l - 1)) * s, x = c * (1 - std::abs(std::fmod(h / 60, 2.0) - 1)), m = l - c / 2;
    double rgb[3] = {};
    const int sector = static_cast<int>(h / 60) % 6;
    static constexpr int kOrder[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}, {1, 2, 0}, {0, 2, 1}};
    const double parts[3] = {c, x, 0};
    for (int i = 0; i < 3; ++i)
        rgb[i] = parts[kOrder[sector][i]];
    auto byte = [&](double v) { return static_cast<BYTE>(std::lround(std::clamp(v + m, 0.0, 1.0) * 255)); };
    return RGB(byte(rgb[0]), byte(rgb[1]), byte(rgb[2]));
}

bool Skin::attach(int number, int hue, int, int) {
    if (number < 1 || number > 7)
        return false;
    number_ = number;
    // The frames' own colours (see assets/make-frame.py).
    palette_ = {RGB(31, 33, 38),    RGB(52, 55, 62),  RGB(24, 25, 29),  RGB(18, 19, 22),
                RGB(214, 216, 222), RGB(120, 122, 128), RGB(70, 73, 80), turnHue(RGB(0, 120, 215), hue)};
    windowBrush_.reset(CreateSolidBrush(palette_.window));
    fieldBrush_.reset(CreateSolidBrush(palette_.field));
    return windowBrush_ && fieldBrush_;
}

bool Skin::setAero(bool on) {
    aero_ = on;
    return false; // no glass for popup and dialog frames of this kind
}

void Skin::themeTree(HWND window) {
    if (!attached() || !window)
        return;
    themeWindow(window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        themeTree(child);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Skin::themeWindow(HWND window) {
    const std::wstring cls = classOf(window);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const auto self = reinterpret_cast<DWORD_PTR>(this);
    if (cls == WC_BUTTONW) {
        // Push buttons are drawn by their parent from now on (they still click).
        if ((style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            SetWindowLongPtrW(window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    } else if (cls == WC_TABCONTROLW) {
        SetWindowLongPtrW(window, GWL_STYLE, style | WS_CLIPCHILDREN);
        SetWindowSubclass(window, &Skin::controlProc, Tabs, self);
    } else if (cls == WC_HEADERW) {
        SetWindowSubclass(window, &Skin::controlProc, Header, self);
    } else if (cls == WC_LISTVIEWW) {
        SendMessageW(window, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(palette_.field));
        SendMessageW(window, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(palette_.field));
        SendMessageW(window, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(palette_.text));
        // The list's grid lines take a system colour, bright on the dark list.
        SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, 0);
        SetWindowSubclass(window, &Skin::controlProc, Container, self);
    } else if (!(style & WS_CHILD)) {
        SetWindowSubclass(window, &Skin::controlProc, Container, self); // a dialog's own window
    }
}

LRESULT Skin::colours(UINT message, HDC dc) const {
    SetTextColor(dc, palette_.text);
    if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) {
        SetBkColor(dc, palette_.field);
        return reinterpret_cast<LRESULT>(fieldBrush_.get());
    }
    SetBkColor(dc, palette_.window);
    return reinterpret_cast<LRESULT>(windowBrush_.get());
}

void Skin::drawButton(const DRAWITEMSTRUCT& item) const {
    const bool pushed = item.itemState & ODS_SELECTED, disabled = item.itemState & ODS_DISABLED;
    fill(item.hDC, item.rcItem, pushed ? palette_.facePressed : palette_.face);
    frame(item.hDC, item.rcItem, (item.itemState & ODS_FOCUS) ? palette_.accent : palette_.border);
    RECT text = item.rcItem;
    if (pushed)
        OffsetRect(&text, 1, 1);
    label(item.hDC, item.hwndItem, textOf(item.hwndItem), text, disabled ? palette_.textDisabled : palette_.text,
          DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void Skin::paintTabs(HWND tabs) const {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(tabs, &ps);
    RECT client{};
    GetClientRect(tabs, &client);
    fill(dc, client, palette_.window);
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    const int selected = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    RECT page = client;
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    InflateRect(&page, 2, 2);
    frame(dc, page, palette_.border);
    for (int i = 0; i < count; ++i) {
        RECT r{};
        SendMessageW(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        wchar_t text[128] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        fill(dc, r, i == selected ? palette_.facePressed : palette_.face);
        frame(dc, r, palette_.border);
        if (i == selected) {
            const RECT mark{r.left + 1, r.top + 1, r.right - 1, r.top + 3};
            fill(dc, mark, palette_.accent);
        }
        label(dc, tabs, text, r, palette_.text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    EndPaint(tabs, &ps);
}

void Skin::paintHeader(HWND header) const {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(header, &ps);
    RECT client{};
    GetClientRect(header, &client);
    fill(dc, client, palette_.face);
    const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT r{};
        SendMessageW(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        wchar_t text[128] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        const RECT divider{r.right - 1, r.top + 3, r.right, r.bottom - 3};
        fill(dc, divider, palette_.border);
        RECT inside = r;
        inside.left += 6;
        label(dc, header, text, inside, palette_.text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    const RECT bottom{client.left, client.bottom - 1, client.right, client.bottom};
    fill(dc, bottom, palette_.border);
    EndPaint(header, &ps);
}

LRESULT CALLBACK Skin::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR skin) {
    const Skin& self = *reinterpret_cast<const Skin*>(skin);
    switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORLISTBOX:
        return self.colours(message, reinterpret_cast<HDC>(wParam));
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType == ODT_BUTTON) {
            self.drawButton(*item);
            return TRUE;
        }
        break;
    }
    case WM_ERASEBKGND:
        if (id == Tabs || id == Container) {
            RECT r{};
            GetClientRect(hwnd, &r);
            if (id == Container && classOf(hwnd) == WC_LISTVIEWW)
                break; // the list paints its own background colour
            fill(reinterpret_cast<HDC>(wParam), r, self.palette_.window);
            return 1;
        }
        break;
    case WM_PAINT:
        if (id == Tabs) {
            self.paintTabs(hwnd);
            return 0;
        }
        if (id == Header) {
            self.paintHeader(hwnd);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &Skin::controlProc, id);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace corvina
