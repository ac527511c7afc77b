// Sound out through waveOut: 16-bit PCM blocks queued to the device. Opening
// fails softly where there is no device; the caller then runs the picture on
// the system clock.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace engine {

class SoundOutput {
  public:
    // How far the device's reported position runs ahead of the sound that is
    // actually heard (the mixer's and the sink's buffers after waveOut).
    // Measured under Wine with a real-time sink at 80-96 ms; a Windows
    // mixer's is smaller. The clock takes the middle so that both stay
    // within what a viewer notices.
    static constexpr int kDeviceLeadMs = 60;

    SoundOutput() = default;
    ~SoundOutput() { close(); }
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    bool open(int sampleRate, int channels);
    void close();
    bool isOpen() const { return device_ != nullptr; }
    // Queues interleaved 16-bit samples.
    void write(const int16_t* samples, size_t count);
    // 0..100, 0 when muted. Sound already handed over is played again from
    // what is being heard, at the new level, so that the change is heard at
    // once and not after the system's buffers. Returns the ms of sound heard
    // since the last reset, which the device's count now starts after.
    int setVolume(int volume);
    // Stops the sound where it is heard (the system's buffers would play on
    // for a quarter of a second after a plain pause) and keeps what was not
    // heard for resume(). Returns the ms heard since the last reset, which
    // the device's count now starts after.
    int pause();
    // Milliseconds of sound queued but not yet played.
    int queuedMs();
    // Milliseconds played since the last reset, by the device's position.
    int playedMs();
    void resume();
    void reset(); // drops everything queued; the position starts again at 0

  private:
    void reclaim();
    // Drops what the device holds and hands it again from what is heard;
    // the ms heard since the last reset.
    int rewind(bool paused);
    HWAVEOUT device_ = nullptr;
    int bytesPerSecond_ = 0;
    std::mutex mutex_;
    struct Block {
        WAVEHDR header{};
        std::vector<int16_t> data;
    };
    std::deque<std::unique_ptr<Block>> blocks_;
    uint64_t queuedBytes_ = 0;
    // Every sample handed over since the last reset (the oldest dropped past
    // kHistoryMs), so that what was not yet heard can be handed over again.
    std::vector<int16_t> history_;
    size_t historyStart_ = 0; // samples written before history_[0]
    int channels_ = 2;
    int volume_ = 100;
    bool paused_ = true;
    static constexpr int kHistoryMs = 3000;
};

} // namespace engine
