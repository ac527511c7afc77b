#include "Player.h"

#include "../include/APlayerCaller.h"

#include <algorithm>

namespace engine {

Player::~Player() { close(); }

bool Player::create(HWND parent, int x, int y, int width, int height, const Callbacks& callbacks) {
    return window_.create(parent, x, y, width, height, callbacks);
}

// Decoding arrives with the media pipeline; until then every open fails and
// the engine stays idle, showing its logo.
bool Player::open(const std::string&) { return false; }
bool Player::play() { return false; }
bool Player::pause() { return false; }
bool Player::close() {
    window_.showLogo();
    return true;
}
int Player::state() const { return APLAYER_STATE_IDLE; }
int Player::duration() const { return 0; }
int Player::position() const { return 0; }
bool Player::seek(int) { return false; }
bool Player::isSeeking() const { return false; }
int Player::bufferProgress() const { return 0; }
int Player::videoWidth() const { return 0; }
int Player::videoHeight() const { return 0; }

void Player::setVolume(int volume) { volume_ = std::clamp(volume, 0, 100); }

void Player::setConfig(int item, std::string value) { config_.set(item, std::move(value)); }

const char* Player::configText(int item) {
    std::lock_guard lock(returnMutex_);
    returned_ = config_.get(item);
    return returned_.c_str();
}

} // namespace engine
