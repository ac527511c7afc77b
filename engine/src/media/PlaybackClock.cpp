#include "PlaybackClock.h"

#include <windows.h>

#include <algorithm>

namespace engine {

long long monotonicMicros() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }(); // fixed at boot
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<long long>(count.QuadPart / frequency.QuadPart * 1'000'000 +
                                  count.QuadPart % frequency.QuadPart * 1'000'000 / frequency.QuadPart);
}

int PlaybackClock::now() const {
    if (followSound_) {
        // The sound that reaches the ear is the device's position less its
        // lead; before any has, the clock waits at its base.
        const int heard = std::max(sound_.playedMs() - SoundOutput::kDeviceLeadMs, 0);
        return baseMs_ + heard;
    }
    if (!running_)
        return baseMs_;
    return baseMs_ + static_cast<int>((monotonicMicros() - startUs_) / 1000);
}

void PlaybackClock::set(int ms) {
    baseMs_ = ms;
    startUs_ = monotonicMicros();
    started_ = true;
    if (soundOpen_) {
        sound_.reset();
        followSound_ = true;
    }
}

void PlaybackClock::run(bool run) {
    if (run == running_)
        return;
    if (followSound_) {
        // The device's count stops and goes on with the sound itself; a pause
        // hands over again what was not heard, and the count starts after
        // what was.
        if (run)
            sound_.resume();
        else
            baseMs_ += sound_.pause();
    } else {
        if (run)
            startUs_ = monotonicMicros();
        else
            baseMs_ = now();
        // Sound left to run on its own still stops and goes with the clock.
        if (soundOpen_ && run)
            sound_.resume();
        else if (soundOpen_)
            sound_.pause();
    }
    running_ = run;
}

void PlaybackClock::setVolume(int volume) {
    const int heard = sound_.setVolume(volume);
    if (followSound_)
        baseMs_ += heard;
}

void PlaybackClock::leaveSound() {
    if (!followSound_)
        return;
    baseMs_ = now();
    startUs_ = monotonicMicros();
    followSound_ = false;
}

} // namespace engine
