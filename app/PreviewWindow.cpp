#include "PreviewWindow.h"

#include <algorithm>

namespace corvina {
namespace {

Gdiplus::ARGB argb(int alpha, COLORREF c) {
    return static_cast<Gdiplus::ARGB>(alpha) << 24 | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

double preciseMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

} // namespace

bool PreviewWindow::load(HWND owner, HWND picture, const std::vector<uint8_t>& frameImage) {
    picture_ = picture;
    if (!createWindow(0, L"", WS_POPUP, 0, 0, kWidth, kHeight, owner))
        return false;
    HostOptions o;
    o.backgroundColour = RGB(0, 0, 0);
    o.transparency = 255;
    o.title = "\xBB\xAD\xC3\xE6\xB5\xF7\xD5\xFB"; // 画面调整
    o.drawNow = true;
    o.backgroundMode = 2;
    o.frameImage = frameImage;
    o.frameMargins = Margins{9, 50, 9, 9};
    o.systemButtonMask = 1;
    o.resizable = false;
    o.buttonSkin = 1;
    Endpoint* endpoint = host_.attach(hwnd(), o);
    if (!endpoint)
        return true; // a plain window without controls; nothing to adjust
    host_.dragByClientProperty(true);
    host_.setFrameInset(4);
    host_.setSystemButtonOrigin(4, 4);
    // Closing hides: the window and its values stay for the next open.
    host_.systemButtonCallbackProperty([this](Endpoint*, int) {
        ShowWindow(hwnd(), SW_HIDE);
        return 1;
    });
    host_.redraw(false);
    createControls(endpoint);
    SetTimer(hwnd(), kPreviewTimer, kPreviewPeriod, nullptr);
    return true;
}

void PreviewWindow::createControls(Endpoint* host) {
    const COLORREF white = RGB(255, 255, 255), light = RGB(236, 236, 236);
    // 亮度, 对比度, 饱和度, 色相, then 渲染模式 over the renderers.
    static const char* const kCaptions[5] = {"\xC1\xC1\xB6\xC8", "\xB6\xD4\xB1\xC8\xB6\xC8",
                                             "\xB1\xA5\xBA\xCD\xB6\xC8", "\xC9\xAB\xCF\xE0",
                                             "\xE4\xD6\xC8\xBE\xC4\xA3\xCA\xBD"};
    const int rows[4] = {26, 44, 62, 80};
    for (size_t i = 0; i < 4; ++i) {
        captions[i].create(host, 2, rows[i], 58, 14, 0, 0xFFFFFFFF, 0xFFFFFFFF, kCaptions[i], 10000);
        Slider::Colours colours;
        colours.track = 0xFF202020;
        colours.thumbBorder = 0x32FFFFFF;
        colours.thumbInnerBorder = 0;
        colours.thumb = 0xFF606060;
        sliders[i].create(host, 60, rows[i], 100, 14, 0, colours, 100, 50, 214 + static_cast<int>(i),
                          [this](int value, int tag) { setting_(tag, std::to_string(value)); });
    }
    // Four characters of the 14-pixel font need about 61 pixels with GDI+'s padding.
    captions[4].create(host, 168, 26, 72, 14, 0, 0xFFFFFFFF, 0xFFFFFFFF, kCaptions[4], 10000);
    struct Option {
        const char* name;
        int x, y, width;
    };
    static constexpr Option kOptions[5] = {
        {"Overlay", 168, 44, 100}, {"Renderless", 168, 70, 100}, {"EVR", 276, 44, 50},
        {"EVRCP", 276, 70, 100},   {"AVR", 326, 44, 100},
    };
    for (size_t i = 0; i < 5; ++i) {
        const Option& o = kOptions[i];
        renderers[i].create(host, o.x, o.y, o.width, 18, 0, i == 0 ? 1 : 0, o.name, light, RadioStyle{},
                            [this](int) { onRenderer(); }, static_cast<int>(i) + 1);
    }
    // 水平翻转, 垂直翻转, 画质撞墙, 画质对比
    static const char* const kSwitches[4] = {"\xCB\xAE\xC6\xBD\xB7\xAD\xD7\xAA", "\xB4\xB9\xD6\xB1\xB7\xAD\xD7\xAA",
                                             "\xBB\xAD\xD6\xCA\xD7\xB2\xC7\xBD", "\xBB\xAD\xD6\xCA\xB6\xD4\xB1\xC8"};
    const int switchRows[4] = {104, 130, 156, 180};
    for (size_t i = 0; i < 4; ++i) {
        switches[i].create(host, 8, switchRows[i], 100, 18, 0, 0, kSwitches[i], white, {}, static_cast<int>(i) + 1);
        switches[i].onChange([this](int tag) { onSwitch(tag); });
    }
    const int panelX = kWidth - 196, panelY = kHeight - 136;
    Endpoint* panel = previewPanel.create(host, panelX, panelY, 180, 120, 0, argb(100, RGB(0, 0, 0)),
                                          argb(100, RGB(236, 236, 236)), argb(100, RGB(192, 192, 192)));
    // On the window above the panel (a panel child there would lie outside it).
    livePreview.create(host, panelX, panelY - 26, 180, 26, 0, 0, "\xCA\xB5\xCA\xB1\xD4\xA4\xC0\xC0 \xB2\xBB\xD6\xA7\xB3\xD6XP",
                       white);
    if (panel) {
        preview.create(panel, 2, 2, 176, 116);
        adjustBar.create(panel, 4, 4, 14, 116 - 8, 0, 1, 360, 0,
                         [this](int value, int) { setting_(304, std::to_string(value * 90)); });
    }
}

void PreviewWindow::onRenderer() {
    int selected = 0;
    for (size_t i = 0; i < renderers.size(); ++i)
        if (renderers[i].checked() != 0) {
            selected = static_cast<int>(i) + 1;
            break;
        }
    setting_(201, std::to_string(selected));
}

void PreviewWindow::onSwitch(int tag) {
    static constexpr int kItems[5] = {0, 302, 303, 305, 306};
    if (tag < 1 || tag > 4)
        return;
    setting_(kItems[tag], switches[static_cast<size_t>(tag - 1)].checked() != 0 ? "1" : "0");
}

void PreviewWindow::showCentred() {
    if (!hwnd())
        return;
    RECT r{};
    GetWindowRect(hwnd(), &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd(), HWND_TOP, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0,
                 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

void PreviewWindow::previewTick() {
    // A tick that finds the previous one still running (a message box, a
    // nested loop) is skipped, and so is one that comes before the budget
    // allows: the preview takes at most kPreviewBudget of the CPU, so where
    // a picture costs more than 2 ms the pictures come less often than 25 a
    // second (under Wine every present pushes the whole window).
    const ULONGLONG now = GetTickCount64();
    if (previewing_ || now < nextPreviewAt_ || !IsWindowVisible(hwnd()) || engine_.state() == 0 ||
        livePreview.checked() == 0 || !picture_)
        return;
    previewing_ = true;
    ++previewTicks_;
    const double started = preciseMs();
    RECT client{};
    GetClientRect(picture_, &client);
    GraphicsObject snapshot; // its DIB and DC go at the end of the tick
    if (client.right > 0 && client.bottom > 0 && snapshot.createSurface(kSnapshotWidth, kSnapshotHeight)) {
        if (HDC source = GetDC(picture_)) {
            SetStretchBltMode(snapshot.surfaceDc(), COLORONCOLOR);
            StretchBlt(snapshot.surfaceDc(), 0, 0, kSnapshotWidth, kSnapshotHeight, source, 0, 0, client.right,
                       client.bottom, SRCCOPY);
            ReleaseDC(picture_, source);
            snapshot.sync();
            // A blit leaves the alpha at 0: the picture is opaque.
            uint32_t* p = snapshot.pixels();
            for (int i = 0; i < kSnapshotWidth * kSnapshotHeight; ++i)
                p[i] |= 0xFF000000u;
            preview.loadPixels(kSnapshotWidth, kSnapshotHeight, kSnapshotWidth * 4, p);
        }
    }
    lastPreviewCostMs_ = preciseMs() - started;
    nextPreviewAt_ = now + static_cast<ULONGLONG>(lastPreviewCostMs_ / kPreviewBudget);
    previewing_ = false;
}

LRESULT PreviewWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPreviewTimer) {
        previewTick();
        return 0;
    }
    return PlainWindow::handleMessage(message, wParam, lParam);
}

} // namespace corvina
