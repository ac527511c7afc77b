// The engine library's entry points, bound on first use.
#pragma once

#include "APlayerCaller.h"

#include <atomic>
#include <mutex>
#include <string>

namespace corvina {

class EngineLibrary {
  public:
    struct Functions {
        APlayer_Create_t create = nullptr;
        APlayer_GetWindow_t getWindow = nullptr;
        APlayer_SetCustomLogo_t setCustomLogo = nullptr;
        APlayer_OpenA_t open = nullptr;
        APlayer_Handle_t play = nullptr;
        APlayer_Handle_t pause = nullptr;
        APlayer_Handle_t close = nullptr;
        APlayer_Handle_t getState = nullptr;
        APlayer_Handle_t getDuration = nullptr;
        APlayer_Handle_t getPosition = nullptr;
        APlayer_SetInt_t setPosition = nullptr;
        APlayer_SetInt_t setVolume = nullptr;
        APlayer_Handle_t getVolume = nullptr;
        APlayer_SetConfigA_t setConfig = nullptr;
        APlayer_GetConfigA_t getConfig = nullptr;
        APlayer_GetVersion_t getVersion = nullptr;
        APlayer_Handle_t getVideoWidth = nullptr;
        APlayer_Handle_t getVideoHeight = nullptr;
        APlayer_Handle_t isSeeking = nullptr;
        APlayer_Handle_t getBufferProgress = nullptr;
        APlayer_Handle_t destroy = nullptr;
    };

    // A library at a full path (UTF-16), loaded on the first call of functions().
    explicit EngineLibrary(std::wstring path) : path_(std::move(path)) {}
    ~EngineLibrary();
    EngineLibrary(const EngineLibrary&) = delete;
    EngineLibrary& operator=(const EngineLibrary&) = delete;

    // The program's library: "APlayerCaller.dll" in the program directory.
    static EngineLibrary& program();

    // Missing library or function: the pointer is null.
    const Functions& functions() const;
    bool loaded() const;

  private:
    std::wstring path_;
    mutable std::once_flag once_;
    // Set once the library is bound: every later call skips std::call_once,
    // whose thread-local bookkeeping costs a lock on every engine call.
    mutable std::atomic<bool> bound_{false};
    mutable HMODULE module_ = nullptr;
    mutable Functions functions_;
};

} // namespace corvina
