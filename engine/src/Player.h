// One engine instance: its video window, its configuration and its playback.
#pragma once

#include "ConfigStore.h"
#include "EngineWindow.h"
#include "MediaSession.h"
#include "SubtitleTrack.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace engine {

class Player {
  public:
    Player() = default;
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    [[nodiscard]] bool create(HWND parent, int x, int y, int width, int height, const Callbacks& callbacks);
    HWND window() const { return window_.hwnd(); }
    bool setLogo(HBITMAP logo) { return window_.setLogo(logo); }

    bool open(const std::string& pathOrUrl);
    bool play();
    bool pause();
    bool close();
    int state() const;
    int duration() const;
    int position() const;
    bool seek(int ms);
    bool isSeeking() const;
    int bufferProgress() const;
    int videoWidth() const;
    int videoHeight() const;

    void setVolume(int volume);
    int volume() const { return volume_.load(); }

    void setConfig(int item, std::string value);
    // Valid until the next call of configText on this player.
    const char* configText(int item);

    // The current session's counters, for measuring.
    uint64_t framesPresented() const;
    uint64_t framesDropped() const;

  private:
    std::shared_ptr<MediaSession> session() const;
    template <typename F, typename T> T ask(F question, T idle) const;

    EngineWindow window_;
    ConfigStore config_;
    std::atomic<int> volume_{100};
    mutable std::mutex sessionMutex_;
    std::shared_ptr<MediaSession> session_;
    std::mutex returnMutex_;
    std::string returned_;
    // Last, so that it goes first: its loading thread asks the session for a
    // repaint through the members above.
    SubtitleTrack subtitles_{[this] {
        if (auto s = session())
            s->pictureChanged();
    }};
};

} // namespace engine
