#include "EngineLibrary.h"

#include "ProgramPath.h"

namespace corvina {
namespace {

template <typename T> void bind(HMODULE module, T& slot, const char* name) {
    slot = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

EngineLibrary::~EngineLibrary() {
    if (module_)
        FreeLibrary(module_);
}

EngineLibrary& EngineLibrary::program() {
    static EngineLibrary library(programDirectoryW() + L"\\APlayerCaller.dll");
    return library;
}

bool EngineLibrary::loaded() const {
    functions();
    return module_ != nullptr;
}

const EngineLibrary::Functions& EngineLibrary::functions() const {
    if (bound_.load(std::memory_order_acquire))
        return functions_;
    std::call_once(once_, [this] {
        // A full path, so that no other copy on the search path is picked up.
        module_ = LoadLibraryExW(path_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!module_)
            return;
        Functions& f = functions_;
        bind(module_, f.create, "APlayer_Create");
        bind(module_, f.getWindow, "APlayer_GetWindow");
        bind(module_, f.setCustomLogo, "APlayer_SetCustomLogo");
        bind(module_, f.open, "APlayer_OpenA");
        bind(module_, f.play, "APlayer_Play");
        bind(module_, f.pause, "APlayer_Pause");
        bind(module_, f.close, "APlayer_Close");
        bind(module_, f.getState, "APlayer_GetState");
        bind(module_, f.getDuration, "APlayer_GetDuration");
        bind(module_, f.getPosition, "APlayer_GetPosition");
        bind(module_, f.setPosition, "APlayer_SetPosition");
        bind(module_, f.setVolume, "APlayer_SetVolume");
        bind(module_, f.getVolume, "APlayer_GetVolume");
        bind(module_, f.setConfig, "APlayer_SetConfigA");
        bind(module_, f.getConfig, "APlayer_GetConfigA");
        bind(module_, f.getVersion, "APlayer_GetVersion");
        bind(module_, f.getVideoWidth, "APlayer_GetVideoWidth");
        bind(module_, f.getVideoHeight, "APlayer_GetVideoHeight");
        bind(module_, f.isSeeking, "APlayer_IsSeeking");
        bind(module_, f.getBufferProgress, "APlayer_GetBufferProgress");
        bind(module_, f.destroy, "APlayer_Destroy");
    });
    bound_.store(true, std::memory_order_release); // also when loading failed: nothing changes any more
    return functions_;
}

} // namespace corvina
