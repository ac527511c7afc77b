// The small glyphs of the custom controls (PNG bytes), drawn at build time
// by assets/make-control-glyphs.py.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace corvina {

enum class Glyph { BoxNormal, BoxHot, BoxPressed, CheckMark, ArrowNormal, ArrowHot, ArrowPressed };

std::span<const unsigned char> controlGlyph(Glyph glyph);
inline std::vector<uint8_t> glyphBytes(Glyph glyph) {
    const std::span<const unsigned char> bytes = controlGlyph(glyph);
    return {bytes.begin(), bytes.end()};
}

} // namespace corvina
