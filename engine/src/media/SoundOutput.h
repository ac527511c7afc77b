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
    // 0..100, 0 when muted: set on the device, so it acts on what is already
    // queued, not only on what comes next.
    void setVolume(int volume);
    // Milliseconds of sound queued but not yet played.
    int queuedMs();
    // Milliseconds played since the last reset, by the device's position.
    int playedMs();
    void pause();
    void resume();
    void reset(); // drops everything queued; the position starts again at 0

  private:
    void reclaim();
    HWAVEOUT device_ = nullptr;
    int bytesPerSecond_ = 0;
    std::mutex mutex_;
    struct Block {
        WAVEHDR header{};
        std::vector<int16_t> data;
    };
    std::deque<std::unique_ptr<Block>> blocks_;
    uint64_t queuedBytes_ = 0;
};

} // namespace engine
