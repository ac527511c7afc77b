// A library of the system folder, loaded when first needed instead of at
// process start, and freed with its owner. Loaded by full path, so a file of
// the same name beside the program or in the current folder is never taken.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace corvina {

class SystemModule {
  public:
    explicit SystemModule(const wchar_t* fileName) : fileName_(fileName) {}
    ~SystemModule() {
        if (module_)
            FreeLibrary(module_);
    }
    SystemModule(const SystemModule&) = delete;
    SystemModule& operator=(const SystemModule&) = delete;

    // The named export as a function pointer of type F, loading the library
    // on the first call; null when the library or the export is missing.
    template <typename F> F function(const char* name) {
        if (!module_ && !load())
            return nullptr;
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    bool load() {
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return false;
        const std::wstring path = std::wstring(folder, length) + L"\\" + fileName_;
        module_ = LoadLibraryW(path.c_str());
        return module_ != nullptr;
    }

    const wchar_t* fileName_;
    HMODULE module_ = nullptr;
};

} // namespace corvina
