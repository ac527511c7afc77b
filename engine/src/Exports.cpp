// The C interface of the engine library: a table of players by handle.
#include "../include/APlayerCaller.h"
#include "Player.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

// The library's one piece of process-wide state: the live players.
class PlayerTable {
  public:
    int add(std::shared_ptr<engine::Player> player) {
        std::lock_guard lock(mutex_);
        int handle = ++lastHandle_;
        players_[handle] = std::move(player);
        return handle;
    }
    std::shared_ptr<engine::Player> find(int handle) {
        std::lock_guard lock(mutex_);
        auto it = players_.find(handle);
        return it == players_.end() ? nullptr : it->second;
    }
    std::shared_ptr<engine::Player> take(int handle) {
        std::lock_guard lock(mutex_);
        auto it = players_.find(handle);
        if (it == players_.end())
            return nullptr;
        auto player = std::move(it->second);
        players_.erase(it);
        return player;
    }

  private:
    std::mutex mutex_;
    int lastHandle_ = 0;
    std::map<int, std::shared_ptr<engine::Player>> players_;
};

PlayerTable& table() {
    // Never destroyed: at process exit the engines' threads are gone already,
    // and joining them from the library's unload would hang or crash.
    static PlayerTable* instance = new PlayerTable;
    return *instance;
}

template <typename F> int withPlayer(int handle, F f) {
    auto player = table().find(handle);
    return player ? f(*player) : 0;
}

constexpr char kVersion[] = "Corvina engine 1.0";

} // namespace

extern "C" {

int __stdcall APlayer_Create(HWND parent, int x, int y, int width, int height, void* cb1, void*, void*, void*,
                             void* cb5, void*, void* cb7, void*) {
    auto player = std::make_shared<engine::Player>();
    if (!player->create(parent, x, y, width, height, engine::Callbacks{cb1, cb5, cb7}))
        return 0;
    return table().add(std::move(player));
}

HWND __stdcall APlayer_GetWindow(int handle) {
    auto player = table().find(handle);
    return player ? player->window() : nullptr;
}

int __stdcall APlayer_SetCustomLogo(int handle, HBITMAP logo) {
    return withPlayer(handle, [&](engine::Player& p) { return p.setLogo(logo) ? 1 : 0; });
}

int __stdcall APlayer_OpenA(int handle, const char* pathOrUrl) {
    return withPlayer(handle, [&](engine::Player& p) { return p.open(pathOrUrl ? pathOrUrl : "") ? 1 : 0; });
}

int __stdcall APlayer_Play(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.play() ? 1 : 0; });
}
int __stdcall APlayer_Pause(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.pause() ? 1 : 0; });
}
int __stdcall APlayer_Close(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.close() ? 1 : 0; });
}
int __stdcall APlayer_GetState(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.state(); });
}
int __stdcall APlayer_GetDuration(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.duration(); });
}
int __stdcall APlayer_GetPosition(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.position(); });
}
int __stdcall APlayer_SetPosition(int handle, int ms) {
    return withPlayer(handle, [&](engine::Player& p) { return p.seek(ms) ? 1 : 0; });
}
int __stdcall APlayer_SetVolume(int handle, int volume) {
    return withPlayer(handle, [&](engine::Player& p) {
        p.setVolume(volume);
        return 1;
    });
}
int __stdcall APlayer_GetVolume(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.volume(); });
}
int __stdcall APlayer_SetConfigA(int handle, int item, const char* value) {
    return withPlayer(handle, [&](engine::Player& p) {
        p.setConfig(item, value ? value : "");
        return 1;
    });
}
const char* __stdcall APlayer_GetConfigA(int handle, int item) {
    auto player = table().find(handle);
    return player ? player->configText(item) : "";
}
const char* __stdcall APlayer_GetVersion(int handle) {
    return table().find(handle) ? kVersion : "";
}
int __stdcall APlayer_GetVideoWidth(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.videoWidth(); });
}
int __stdcall APlayer_GetVideoHeight(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.videoHeight(); });
}
int __stdcall APlayer_IsSeeking(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.isSeeking() ? 1 : 0; });
}
int __stdcall APlayer_GetBufferProgress(int handle) {
    return withPlayer(handle, [](engine::Player& p) { return p.bufferProgress(); });
}
int __stdcall APlayer_Destroy(int handle) {
    auto player = table().take(handle);
    return player ? 1 : 0; // the player (threads, window) goes with the last reference
}

} // extern "C"
