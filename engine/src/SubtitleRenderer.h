// Cues drawn onto the presented picture: white text with a dark outline,
// bottom centre (or top), sized by the picture's height, wrapped to 90 % of
// its width, at most four lines. A block of text is rendered once and then
// only blended onto each picture while the same cues stay on screen.
#pragma once

#include "Subtitles.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace engine {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

// A rendered block: coverage of the white fill and of fill and outline
// together (`alpha` >= `fill` everywhere), placed at (x, y) on the picture.
struct SubtitleOverlay {
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<uint8_t> fill, alpha;
};

// Blends the overlay onto a top-down BGRA picture; what falls outside the
// picture is left out. Pure.
void blendOverlay(uint32_t* pixels, int width, int height, const SubtitleOverlay& overlay);

class SubtitleRenderer {
  public:
    SubtitleRenderer() = default;
    SubtitleRenderer(const SubtitleRenderer&) = delete;
    SubtitleRenderer& operator=(const SubtitleRenderer&) = delete;

    // Draws `cues` (those showing now; `generation` names the loaded file)
    // onto the picture.
    void draw(uint32_t* pixels, int width, int height, const std::vector<const Cue*>& cues,
              uint64_t generation);

    // Brings the text machinery up (font lookup, the font's files, its glyphs)
    // by drawing `sample` once off screen, so that the first cue drawn on the
    // presenting thread does not pay for it. Any thread.
    static void warmUp(const std::wstring& sample, int pixelHeight);

    // How many blocks have been rendered from text so far, for measuring.
    int renders() const { return renders_; }

  private:
    struct Block {
        bool valid = false;
        std::vector<const Cue*> cues;
        uint64_t generation = 0;
        int pictureWidth = 0, pictureHeight = 0;
        SubtitleOverlay overlay;
    };
    void render(Block& block, const std::wstring& text, bool top, int width, int height);
    HFONT font(int pixelHeight);
    static UniqueFont createFont(int pixelHeight);

    Block blocks_[2]; // bottom, top
    UniqueFont font_;
    int fontHeight_ = 0;
    int renders_ = 0;
};

} // namespace engine
