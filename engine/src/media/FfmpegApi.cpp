#include "FfmpegApi.h"

#include <windows.h>

#include <mutex>

namespace engine {
namespace {

FfmpegApi g_api;       // filled once, under g_loadMutex, then only read
bool g_loaded = false; // set after g_api is complete
std::mutex g_loadMutex;

std::wstring moduleFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&moduleFolder), &self))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::string narrow(const wchar_t* name) {
    std::string out;
    for (; *name; ++name)
        out.push_back(static_cast<char>(*name));
    return out;
}

} // namespace

FfmpegLoad loadFfmpeg() {
    std::lock_guard lock(g_loadMutex);
    if (g_loaded)
        return {&g_api, {}};
    const std::wstring folder = moduleFolder();
    HMODULE modules[kFfmpegLibraryCount] = {};
    for (int i = 0; i < kFfmpegLibraryCount; ++i) {
        // By full path, with the DLL's own folder searched for what it imports.
        // Loaded libraries stay loaded for the life of the process.
        const std::wstring path = folder + L"\\" + kFfmpegLibraries[i];
        modules[i] = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!modules[i]) {
            // What did load goes again, so that a later open tries afresh.
            for (int loaded = 0; loaded < i; ++loaded)
                FreeLibrary(modules[loaded]);
            return {nullptr, narrow(kFfmpegLibraries[i])};
        }
    }
    FfmpegApi api;
    int missingIn = -1;
#define ENGINE_FFMPEG_RESOLVE(library, name)                                                                 \
    api.name = reinterpret_cast<decltype(&::name)>(                                                          \
        reinterpret_cast<void (*)()>(GetProcAddress(modules[library], #name)));                              \
    if (!api.name && missingIn < 0)                                                                          \
        missingIn = library;
    ENGINE_FFMPEG_FUNCTIONS(ENGINE_FFMPEG_RESOLVE)
#undef ENGINE_FFMPEG_RESOLVE
    if (missingIn >= 0) {
        for (HMODULE module : modules)
            FreeLibrary(module);
        return {nullptr, narrow(kFfmpegLibraries[missingIn])};
    }
    api.av_log_set_level(AV_LOG_QUIET);
    g_api = api;
    g_loaded = true;
    return {&g_api, {}};
}

const FfmpegApi& ff() {
    return g_api;
}

} // namespace engine
