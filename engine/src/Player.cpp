#include "Player.h"

#include "../include/APlayerCaller.h"
#include "HttpSource.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace engine {

Player::~Player() {
    close();
}

bool Player::create(HWND parent, int x, int y, int width, int height, const Callbacks& callbacks) {
    return window_.create(parent, x, y, width, height, callbacks);
}

// The current session's answer, or `idle` with nothing open.
template <typename F, typename T> T Player::ask(F question, T idle) const {
    auto s = session();
    return s ? question(*s) : idle;
}

std::shared_ptr<MediaSession> Player::session() const {
    std::lock_guard lock(sessionMutex_);
    return session_;
}

bool Player::open(const std::string& pathOrUrl) {
    close();
    // The subtitles belong to the movie: the ones beside a local file are
    // looked for on the track's thread; item 10001 tells which were found.
    config_.set(APLAYER_ITEM_SUBTITLE_COOKIE, {});
    if (isNetworkUrl(pathOrUrl))
        subtitles_.setSource({}, {});
    else
        subtitles_.pickUpBeside(pathOrUrl);
    auto session = std::make_shared<MediaSession>(window_, config_, volume_, subtitles_);
    {
        std::lock_guard lock(sessionMutex_);
        session_ = session;
    }
    session->start(pathOrUrl);
    return true;
}

bool Player::play() {
    return ask([&](MediaSession& m) { return m.play(); }, false);
}

bool Player::pause() {
    return ask([&](MediaSession& m) { return m.pause(); }, false);
}

bool Player::close() {
    std::shared_ptr<MediaSession> session;
    {
        std::lock_guard lock(sessionMutex_);
        session = std::move(session_);
    }
    if (session)
        session->stop(); // joins its threads; promptly, as reads are aborted
    window_.showLogo();
    return true;
}

int Player::state() const {
    return ask([&](MediaSession& m) { return m.state(); }, static_cast<int>(APLAYER_STATE_IDLE));
}

int Player::duration() const {
    return ask([&](MediaSession& m) { return m.duration(); }, 0);
}

int Player::position() const {
    return ask([&](MediaSession& m) { return m.position(); }, 0);
}

bool Player::seek(int ms) {
    return ask([&](MediaSession& m) { return m.seek(ms); }, false);
}

bool Player::isSeeking() const {
    return ask([&](MediaSession& m) { return m.seeking(); }, false);
}

int Player::bufferProgress() const {
    return ask([&](MediaSession& m) { return m.bufferProgress(); }, 0);
}

int Player::videoWidth() const {
    return ask([&](MediaSession& m) { return m.videoWidth(); }, 0);
}

int Player::videoHeight() const {
    return ask([&](MediaSession& m) { return m.videoHeight(); }, 0);
}

uint64_t Player::framesPresented() const {
    return ask([&](MediaSession& m) { return m.framesPresented(); }, uint64_t{0});
}

uint64_t Player::framesDropped() const {
    return ask([&](MediaSession& m) { return m.framesDropped(); }, uint64_t{0});
}

void Player::setVolume(int volume) {
    volume_ = std::clamp(volume, 0, 100);
    if (auto s = session())
        s->volumeChanged();
}

void Player::setConfig(int item, std::string value) {
    if (item == APLAYER_ITEM_TOTAL_BYTES || item == APLAYER_ITEM_READ_BYTES ||
        item == APLAYER_ITEM_AUDIO_TRACKS || item == APLAYER_ITEM_SUBTITLE_TRACKS)
        return; // read only
    if (item == APLAYER_ITEM_AUDIO_TRACK || item == APLAYER_ITEM_SUBTITLE_TRACK) {
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 10);
        if (auto s = session(); s && end != value.c_str() && *end == '\0')
            s->chooseTrack(item == APLAYER_ITEM_AUDIO_TRACK, static_cast<int>(number));
        return;
    }
    if (item == APLAYER_ITEM_SUBTITLE_SOURCE) {
        // Kept by the track, which also sets it to the file found beside a movie.
        std::string cookie = config_.get(APLAYER_ITEM_SUBTITLE_COOKIE);
        if (cookie.empty())
            cookie = config_.get(APLAYER_ITEM_COOKIE);
        subtitles_.setSource(value, cookie); // repaints when loaded
        return;
    }
    config_.set(item, std::move(value));
    auto s = session();
    if (!s)
        return;
    if (item == APLAYER_ITEM_COOKIE)
        s->cookieArrived();
    else if (item == APLAYER_ITEM_MUTE)
        s->volumeChanged();
    else if ((item >= APLAYER_ITEM_BRIGHTNESS && item <= APLAYER_ITEM_HUE) ||
             (item >= APLAYER_ITEM_FLIP_H && item <= APLAYER_ITEM_COMPARE) ||
             item == APLAYER_ITEM_SUBTITLE_DELAY || item == APLAYER_ITEM_SUBTITLE_VISIBLE)
        s->pictureChanged();
}

const char* Player::configText(int item) {
    std::string text;
    if (item == APLAYER_ITEM_TOTAL_BYTES || item == APLAYER_ITEM_READ_BYTES) {
        auto s = session();
        const uint64_t bytes = !s                                 ? 0
                               : item == APLAYER_ITEM_TOTAL_BYTES ? s->totalBytes()
                                                                  : s->availableBytes();
        text = std::to_string(bytes);
    } else if (item == APLAYER_ITEM_SUBTITLE_SOURCE) {
        text = subtitles_.source();
    } else if (item == APLAYER_ITEM_AUDIO_TRACKS || item == APLAYER_ITEM_SUBTITLE_TRACKS) {
        auto s = session();
        text = s ? s->trackList(item == APLAYER_ITEM_AUDIO_TRACKS) : std::string();
    } else if (item == APLAYER_ITEM_AUDIO_TRACK || item == APLAYER_ITEM_SUBTITLE_TRACK) {
        auto s = session();
        text = std::to_string(s ? s->chosenTrack(item == APLAYER_ITEM_AUDIO_TRACK) : -1);
    } else {
        text = config_.get(item);
    }
    std::lock_guard lock(returnMutex_);
    returned_ = std::move(text);
    return returned_.c_str();
}

} // namespace engine
