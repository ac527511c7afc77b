#include "SubtitleRenderer.h"

#include "TopDownBitmapInfo.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace engine {
namespace {

constexpr int kMaxLines = 4;

int CALLBACK noteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

// An object selected into a DC for the scope's life, then the earlier one back.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

bool faceInstalled(HDC dc, const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, &noteFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// Horizontal then vertical running maximum over 2r+1 pixels: the fill grown
// by r in every direction, which is the outline's coverage.
std::vector<uint8_t> grow(const std::vector<uint8_t>& fill, int w, int h, int r) {
    std::vector<uint8_t> across(fill.size()), out(fill.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t m = 0;
            for (int k = std::max(0, x - r); k <= std::min(w - 1, x + r); ++k)
                m = std::max(m, fill[static_cast<size_t>(y) * w + k]);
            across[static_cast<size_t>(y) * w + x] = m;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t m = 0;
            for (int k = std::max(0, y - r); k <= std::min(h - 1, y + r); ++k)
                m = std::max(m, across[static_cast<size_t>(k) * w + x]);
            out[static_cast<size_t>(y) * w + x] = m;
        }
    return out;
}

} // namespace

void blendOverlay(uint32_t* pixels, int width, int height, const SubtitleOverlay& o) {
    const int x0 = std::max(o.x, 0), x1 = std::min(o.x + o.width, width);
    const int y0 = std::max(o.y, 0), y1 = std::min(o.y + o.height, height);
    for (int y = y0; y < y1; ++y) {
        const size_t row = static_cast<size_t>(y - o.y) * o.width;
        uint32_t* dst = pixels + static_cast<size_t>(y) * width;
        for (int x = x0; x < x1; ++x) {
            const size_t i = row + static_cast<size_t>(x - o.x);
            const uint32_t a = o.alpha[i];
            if (a == 0)
                continue;
            const uint32_t white = o.fill[i] * 255u, keep = 255u - a, p = dst[x];
            auto channel = [&](int shift) {
                return ((white + ((p >> shift) & 0xFFu) * keep + 127u) / 255u) << shift;
            };
            dst[x] = 0xFF000000u | channel(16) | channel(8) | channel(0);
        }
    }
}

UniqueFont SubtitleRenderer::createFont(int pixelHeight) {
    // The first CJK face installed, else the default GUI font's face.
    const wchar_t* const faces[] = {L"\u5fae\u8f6f\u96c5\u9ed1", L"\u9ed1\u4f53",
                                    L"\u5b8b\u4f53"}; // 微软雅黑 黑体 宋体
    std::wstring face;
    HDC screen = GetDC(nullptr);
    for (const wchar_t* f : faces)
        if (face.empty() && faceInstalled(screen, f))
            face = f;
    ReleaseDC(nullptr, screen);
    if (face.empty()) {
        LOGFONTW gui{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
        face = gui.lfFaceName;
    }
    return UniqueFont(CreateFontW(-pixelHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                                  face.c_str()));
}

HFONT SubtitleRenderer::font(int pixelHeight) {
    if (!font_ || fontHeight_ != pixelHeight) {
        font_ = createFont(pixelHeight);
        fontHeight_ = pixelHeight;
    }
    return font_.get();
}

void SubtitleRenderer::warmUp(const std::wstring& sample, int pixelHeight) {
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const UniqueFont f = createFont(pixelHeight);
    if (!dc || !f)
        return;
    const Selection font(dc.get(), f.get());
    RECT area{0, 0, 4096, 0};
    DrawTextW(dc.get(), sample.c_str(), static_cast<int>(sample.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
}

void SubtitleRenderer::render(Block& block, const std::wstring& text, bool top, int width, int height) {
    ++renders_;
    block.overlay = SubtitleOverlay{};
    const int fontHeight = std::max(12, height / 18);
    const int radius = std::max(2, fontHeight / 12);
    const int textWidth = std::max(1, width * 9 / 10 - 2 * radius);
    const UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    HDC dc = memory.get();
    if (!dc)
        return;
    const Selection selectedFont(dc, font(fontHeight));
    const UINT format = DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
    RECT measure{0, 0, textWidth, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure, format | DT_CALCRECT);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int textHeight = std::min<int>(measure.bottom, metrics.tmHeight * kMaxLines);
    const int w = textWidth + 2 * radius, h = std::min(textHeight + 2 * radius, height);
    if (textHeight <= 0 || h <= 0)
        return;
    const BITMAPINFO info = topDownBitmapInfo(w, h);
    void* bits = nullptr;
    const UniqueBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return;
    const Selection selectedBitmap(dc, bitmap.get());
    std::memset(bits, 0, static_cast<size_t>(w) * h * 4);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    RECT area{radius, radius, radius + textWidth, radius + textHeight};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
    GdiFlush();
    SubtitleOverlay& o = block.overlay;
    o.width = w;
    o.height = h;
    o.fill.resize(static_cast<size_t>(w) * h);
    const auto* px = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < o.fill.size(); ++i)
        o.fill[i] = static_cast<uint8_t>((px[i] >> 8) & 0xFF); // grey text: any channel is the coverage
    o.alpha = grow(o.fill, w, h, radius);
    o.x = (width - w) / 2;
    // Clear of the edges, and at the bottom clear of a control bar laid over
    // the lowest tenth of the picture.
    const int margin = top ? height / 24 : height * 12 / 100;
    o.y = std::max(0, top ? margin : height - margin - h);
}

void SubtitleRenderer::draw(uint32_t* pixels, int width, int height, const std::vector<const Cue*>& cues,
                            uint64_t generation) {
    if (width <= 0 || height <= 0)
        return;
    for (int place = 0; place < 2; ++place) {
        const bool top = place == 1;
        std::vector<const Cue*> mine;
        for (const Cue* cue : cues)
            if (cue->top == top)
                mine.push_back(cue);
        Block& block = blocks_[place];
        if (mine.empty()) {
            block.valid = false;
            continue;
        }
        if (!block.valid || block.cues != mine || block.generation != generation ||
            block.pictureWidth != width || block.pictureHeight != height) {
            std::wstring text;
            for (const Cue* cue : mine)
                text += (text.empty() ? L"" : L"\n") + cue->text;
            render(block, text, top, width, height);
            block.valid = true;
            block.cues = mine;
            block.generation = generation;
            block.pictureWidth = width;
            block.pictureHeight = height;
        }
        if (!block.overlay.fill.empty())
            blendOverlay(pixels, width, height, block.overlay);
    }
}

} // namespace engine
