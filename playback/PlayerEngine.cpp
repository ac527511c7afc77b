#include "PlayerEngine.h"

#include "BitmapFromImage.h"
#include "ClockText.h"
#include "EngineLibrary.h"

#include <cmath>
#include <utility>

namespace corvina {

PlayerEngine::PlayerEngine() : PlayerEngine(EngineLibrary::program()) {}

PlayerEngine::PlayerEngine(const EngineLibrary& library) : library_(&library), settings_(library) {}

PlayerEngine::~PlayerEngine() {
    destroy();
}

PlayerEngine::PlayerEngine(PlayerEngine&& other) noexcept
    : library_(other.library_), handle_(std::exchange(other.handle_, 0)),
      window_(std::exchange(other.window_, nullptr)), left_(std::exchange(other.left_, 0)),
      top_(std::exchange(other.top_, 0)), width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)), settings_(other.settings_) {
    other.settings_.bind(0);
}

PlayerEngine& PlayerEngine::operator=(PlayerEngine&& other) noexcept {
    if (this != &other) {
        destroy();
        library_ = other.library_;
        handle_ = std::exchange(other.handle_, 0);
        window_ = std::exchange(other.window_, nullptr);
        left_ = std::exchange(other.left_, 0);
        top_ = std::exchange(other.top_, 0);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        settings_ = other.settings_;
        other.settings_.bind(0);
    }
    return *this;
}

int PlayerEngine::create(HWND parent, std::optional<int> left, std::optional<int> top,
                         std::optional<int> width, std::optional<int> height, const Callbacks& cb) {
    auto f = library_->functions().create;
    if (!f)
        return handle_ = 0;
    const auto& s = cb.slots;
    handle_ = f(parent, left.value_or(0), top.value_or(0), width.value_or(0), height.value_or(0), s[0], s[1],
                s[2], s[3], s[4], s[5], s[6], s[7]);
    if (handle_ > 0) {
        auto getWindow = library_->functions().getWindow;
        window_ = getWindow ? getWindow(handle_) : nullptr;
        left_ = left.value_or(0);
        top_ = top.value_or(0);
        width_ = width.value_or(0);
        height_ = height.value_or(0);
        settings_.bind(handle_);
    }
    return handle_;
}

void PlayerEngine::open(const std::string& pathOrUrl) const {
    if (auto f = library_->functions().open)
        f(handle_, pathOrUrl.c_str());
}

namespace {
int call(APlayer_Handle_t f, int handle) {
    return f ? f(handle) : 0;
}
} // namespace

void PlayerEngine::close() const {
    call(library_->functions().close, handle_);
}
void PlayerEngine::play() const {
    call(library_->functions().play, handle_);
}
void PlayerEngine::pause() const {
    call(library_->functions().pause, handle_);
}

std::string PlayerEngine::version() const {
    auto f = library_->functions().getVersion;
    const char* text = f ? f(handle_) : nullptr;
    return text ? std::string(text) : std::string();
}

bool PlayerEngine::setLogo(const std::vector<uint8_t>& imageFile) const {
    auto f = library_->functions().setCustomLogo;
    if (!f)
        return false;
    UniqueBitmap bitmap = bitmapFromImage(imageFile);
    // The engine copies the picture; our handle is freed when `bitmap` goes.
    return bitmap && f(handle_, bitmap.get()) != 0;
}

int PlayerEngine::state() const {
    return call(library_->functions().getState, handle_);
}
int PlayerEngine::duration() const {
    return call(library_->functions().getDuration, handle_);
}
std::string PlayerEngine::durationText() const {
    return clockText(duration());
}
int PlayerEngine::position() const {
    return call(library_->functions().getPosition, handle_);
}
std::string PlayerEngine::positionText() const {
    return clockText(position());
}

void PlayerEngine::seek(int ms) const {
    if (auto f = library_->functions().setPosition)
        f(handle_, ms);
}

int PlayerEngine::videoWidth() const {
    return call(library_->functions().getVideoWidth, handle_);
}
int PlayerEngine::videoHeight() const {
    return call(library_->functions().getVideoHeight, handle_);
}
int PlayerEngine::volume() const {
    return call(library_->functions().getVolume, handle_);
}

void PlayerEngine::setVolume(int volume) const {
    if (auto f = library_->functions().setVolume)
        f(handle_, volume);
}

int PlayerEngine::isSeeking() const {
    return call(library_->functions().isSeeking, handle_);
}
int PlayerEngine::bufferProgress() const {
    return call(library_->functions().getBufferProgress, handle_);
}

std::string PlayerEngine::config(int item) const {
    auto f = library_->functions().getConfig;
    const char* text = f ? f(handle_, item) : nullptr;
    return text ? std::string(text) : std::string();
}

void PlayerEngine::setConfig(int item, const std::string& text) const {
    if (auto f = library_->functions().setConfig)
        f(handle_, item, text.c_str());
}

void PlayerEngine::move(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                        std::optional<int> height) {
    if (left)
        left_ = *left;
    if (top)
        top_ = *top;
    if (width)
        width_ = *width;
    if (height)
        height_ = *height;
    MoveWindow(window_, left_, top_, width_, height_, TRUE);
}

int PlayerEngine::left(std::optional<int> value) {
    if (value) {
        left_ = *value;
        move();
    }
    return left_;
}

int PlayerEngine::top(std::optional<int> value) {
    if (value) {
        top_ = *value;
        move();
    }
    return top_;
}

int PlayerEngine::width(std::optional<int> value) {
    if (value) {
        width_ = *value;
        move();
    }
    return width_;
}

int PlayerEngine::height(std::optional<int> value) {
    if (value) {
        height_ = *value;
        move();
    }
    return height_;
}

void PlayerEngine::destroy() {
    if (handle_ > 0)
        call(library_->functions().destroy, handle_);
    handle_ = 0;
    window_ = nullptr;
    left_ = top_ = width_ = height_ = 0;
    settings_.bind(0);
}

int PlayerEngine::downloadPercent() const {
    const int total = settings_.item5();
    if (total == 0)
        return 0; // nothing known yet: no division by zero
    return static_cast<int>(100.0 / total * settings_.item29());
}

} // namespace corvina
