#include "Resources.h"

#include <windows.h>

namespace corvina {

const CarriedFile kCarriedFiles[] = {
#include "CarriedFiles.inc"
};
const size_t kCarriedFileCount = sizeof kCarriedFiles / sizeof kCarriedFiles[0];

std::vector<uint8_t> loadResourceBytes(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, name, MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!info)
        return {};
    HGLOBAL data = LoadResource(module, info); // resources need no freeing
    const auto* bytes = static_cast<const uint8_t*>(data ? LockResource(data) : nullptr);
    const DWORD size = SizeofResource(module, info);
    return bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

} // namespace corvina
