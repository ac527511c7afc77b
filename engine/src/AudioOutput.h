// PCM out through waveOut. Opening fails softly where there is no device;
// the caller then runs the picture on the system clock.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace engine {

class AudioOutput {
  public:
    AudioOutput() = default;
    ~AudioOutput() { close(); }
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    bool open(int sampleRate, int channels);
    void close();
    bool isOpen() const { return device_ != nullptr; }
    // Queues 16-bit PCM, scaled by volume (0..100; 0 when muted).
    void write(const uint8_t* pcm, size_t bytes, int volume);
    // Milliseconds of sound queued but not yet played.
    int queuedMs();
    // Milliseconds played since the last reset.
    int playedMs();
    void pause();
    void resume();
    void reset(); // drops everything queued

  private:
    void reclaim();
    HWAVEOUT device_ = nullptr;
    int bytesPerSecond_ = 0;
    std::mutex mutex_;
    struct Block {
        WAVEHDR header{};
        std::vector<uint8_t> data;
    };
    std::deque<Block*> blocks_;
};

} // namespace engine
