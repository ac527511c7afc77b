// The engine library travels inside the program as a compressed image:
// a 4-byte little-endian marker 0x033E0F0D, the 4-byte little-endian size of
// the library, then a zlib stream of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

inline constexpr uint32_t kEngineImageMarker = 0x033E0F0D;

// The library bytes, or nothing when the image is not well formed (wrong
// marker, a size that does not match the stream, a broken stream).
std::optional<std::vector<uint8_t>> unpackEngineImage(const uint8_t* image, size_t size);
std::vector<uint8_t> packEngineImage(const std::vector<uint8_t>& library);

enum class EngineInstall { AlreadyPresent, Written, Failed };

// Writes the library to `path` from the image only when nothing exists there;
// an existing file is never touched, whatever it holds. The bytes go to a
// temporary file first and are renamed into place, so a failed write never
// leaves a truncated library that would then be kept for good.
EngineInstall installEngineLibrary(const std::wstring& path, const uint8_t* image, size_t size);

} // namespace corvina
