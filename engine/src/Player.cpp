#include "Player.h"

#include "../include/APlayerCaller.h"
#include "GbkText.h"
#include "HttpSource.h"
#include "SubtitleNames.h"

#include <windows.h>

#include <algorithm>

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

// The subtitle file beside a local movie, if there is one: item 10001 tells
// which (empty for none and for network sources).
void Player::pickUpSubtitles(const std::string& pathOrUrl) {
    std::string found;
    if (!isNetworkUrl(pathOrUrl)) {
        const std::wstring path = widenGbk(pathOrUrl);
        const size_t slash = path.find_last_of(L"\\/");
        const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
        const std::wstring movie = slash == std::wstring::npos ? path : path.substr(slash + 1);
        const size_t dot = movie.rfind(L'.');
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW entry;
        const std::wstring pattern =
            folder + L"\\" + (dot == std::wstring::npos ? movie : movie.substr(0, dot)) + L"*";
        HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    names.emplace_back(entry.cFileName);
            } while (names.size() < 1000 && FindNextFileW(find, &entry));
            FindClose(find);
        }
        const int best = pickSubtitle(movie, names);
        if (best >= 0)
            found = narrowToGbk(folder + L"\\" + names[static_cast<size_t>(best)]);
    }
    config_.set(APLAYER_ITEM_SUBTITLE_SOURCE, found);
    config_.set(APLAYER_ITEM_SUBTITLE_COOKIE, {});
    subtitles_.setSource(found, {});
}

bool Player::open(const std::string& pathOrUrl) {
    close();
    pickUpSubtitles(pathOrUrl);
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
}

void Player::setConfig(int item, std::string value) {
    if (item == APLAYER_ITEM_TOTAL_BYTES || item == APLAYER_ITEM_READ_BYTES)
        return; // read only
    config_.set(item, std::move(value));
    auto s = session();
    if (item == APLAYER_ITEM_SUBTITLE_SOURCE) {
        std::string cookie = config_.get(APLAYER_ITEM_SUBTITLE_COOKIE);
        if (cookie.empty())
            cookie = config_.get(APLAYER_ITEM_COOKIE);
        subtitles_.setSource(config_.get(item), cookie); // repaints when loaded
        return;
    }
    if (!s)
        return;
    if (item == APLAYER_ITEM_COOKIE)
        s->cookieArrived();
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
    } else {
        text = config_.get(item);
    }
    std::lock_guard lock(returnMutex_);
    returned_ = std::move(text);
    return returned_.c_str();
}

} // namespace engine
