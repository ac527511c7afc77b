// Data the program carries in its resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvina {

inline constexpr wchar_t kLogoResource[] = L"LOGO";                // 227 x 70 PNG with alpha
inline constexpr wchar_t kFrameResource[] = L"FRAME";              // the main window's nine-grid frame
inline constexpr wchar_t kEngineImageResource[] = L"ENGINE_IMAGE"; // the compressed engine library

// Files the program writes beside itself when they are missing: the decoding
// libraries the engine loads and their licence texts, each an image as the
// engine library's.
struct CarriedFile {
    const wchar_t* resource;
    const wchar_t* fileName;
};
extern const CarriedFile kCarriedFiles[];
extern const size_t kCarriedFileCount;

// The bytes of an RCDATA resource of the executable; empty when missing.
std::vector<uint8_t> loadResourceBytes(const wchar_t* name);

} // namespace corvina
