#include "EngineImage.h"

#include "UniqueHandle.h"

#include <windows.h>

namespace corvina {

EngineInstall installEngineLibrary(const std::wstring& path, const uint8_t* image, size_t size) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return EngineInstall::AlreadyPresent;
    auto library = unpackEngineImage(image, size);
    if (!library)
        return EngineInstall::Failed;
    const std::wstring temporary = path + L".part";
    {
        UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return EngineInstall::Failed;
        DWORD written = 0;
        const DWORD total = static_cast<DWORD>(library->size());
        if (!WriteFile(file.get(), library->data(), total, &written, nullptr) || written != total) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return EngineInstall::Failed;
        }
    }
    // Without MOVEFILE_REPLACE_EXISTING: a file that appeared meanwhile wins.
    if (!MoveFileExW(temporary.c_str(), path.c_str(), 0)) {
        DeleteFileW(temporary.c_str());
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? EngineInstall::AlreadyPresent
                                                                           : EngineInstall::Failed;
    }
    return EngineInstall::Written;
}

} // namespace corvina
