// The program's one playback engine: owns the engine handle, remembers the
// engine's video window and its rectangle, and wraps every engine call.
#pragma once

#include "EngineConfig.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

class EngineLibrary;

class PlayerEngine {
  public:
    struct Callbacks {
        void* slots[8] = {};
    };

    PlayerEngine();
    explicit PlayerEngine(const EngineLibrary& library);
    ~PlayerEngine();
    // Owning an engine instance, the object moves but does not copy: a copy
    // would destroy the same engine a second time.
    PlayerEngine(const PlayerEngine&) = delete;
    PlayerEngine& operator=(const PlayerEngine&) = delete;
    PlayerEngine(PlayerEngine&& other) noexcept;
    PlayerEngine& operator=(PlayerEngine&& other) noexcept;

    int create(HWND parent, std::optional<int> left, std::optional<int> top, std::optional<int> width,
               std::optional<int> height, const Callbacks& callbacks);
    void open(const std::string& pathOrUrl) const;
    void close() const;
    void play() const;
    void pause() const;
    std::string version() const;
    // The image file's bytes (PNG, ...) become the idle logo.
    bool setLogo(const std::vector<uint8_t>& imageFile) const;
    int state() const;
    int duration() const;
    std::string durationText() const;
    int position() const;
    std::string positionText() const;
    void seek(int ms) const;
    int videoWidth() const;
    int videoHeight() const;
    int volume() const;
    void setVolume(int volume) const;
    int isSeeking() const;
    int bufferProgress() const;
    std::string config(int item) const;
    void setConfig(int item, const std::string& text) const;
    int handle() const { return handle_; }
    HWND window() const { return window_; }
    void move(std::optional<int> left = {}, std::optional<int> top = {}, std::optional<int> width = {},
              std::optional<int> height = {});
    // With a value: store it and move. Always: the field.
    int left(std::optional<int> value = {});
    int top(std::optional<int> value = {});
    int width(std::optional<int> value = {});
    int height(std::optional<int> value = {});
    void destroy();
    int downloadPercent() const;
    void setItem2(const std::string& text) const { settings_.setItem2(text); }
    void setItem3(const std::string& text) const { settings_.setItem3(text); }

    const EngineConfig& settings() const { return settings_; }

  private:
    const EngineLibrary* library_;
    int handle_ = 0;
    HWND window_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    EngineConfig settings_;
};

} // namespace corvina
