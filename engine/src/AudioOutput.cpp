#include "AudioOutput.h"

#include <algorithm>

namespace engine {

bool AudioOutput::open(int sampleRate, int channels) {
    close();
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
        return false;
    device_ = device;
    waveOutPause(device_); // the session starts the sound with its clock
    bytesPerSecond_ = static_cast<int>(format.nAvgBytesPerSec);
    return true;
}

void AudioOutput::close() {
    if (!device_)
        return;
    waveOutReset(device_);
    reclaim();
    waveOutClose(device_);
    device_ = nullptr;
}

void AudioOutput::reclaim() {
    std::lock_guard lock(mutex_);
    while (!blocks_.empty() && (blocks_.front()->header.dwFlags & WHDR_DONE)) {
        Block* block = blocks_.front();
        blocks_.pop_front();
        waveOutUnprepareHeader(device_, &block->header, sizeof block->header);
        delete block;
    }
}

void AudioOutput::write(const uint8_t* pcm, size_t bytes, int volume) {
    if (!device_ || bytes == 0)
        return;
    reclaim();
    auto* block = new Block;
    block->data.assign(pcm, pcm + bytes);
    if (volume < 100) {
        auto* samples = reinterpret_cast<int16_t*>(block->data.data());
        for (size_t i = 0; i < bytes / 2; ++i)
            samples[i] = static_cast<int16_t>(samples[i] * std::max(volume, 0) / 100);
    }
    block->header.lpData = reinterpret_cast<LPSTR>(block->data.data());
    block->header.dwBufferLength = static_cast<DWORD>(block->data.size());
    waveOutPrepareHeader(device_, &block->header, sizeof block->header);
    std::lock_guard lock(mutex_);
    blocks_.push_back(block);
    waveOutWrite(device_, &block->header, sizeof block->header);
}

int AudioOutput::queuedMs() {
    reclaim();
    std::lock_guard lock(mutex_);
    uint64_t bytes = 0;
    for (Block* b : blocks_)
        bytes += b->data.size();
    return bytesPerSecond_ ? static_cast<int>(bytes * 1000 / bytesPerSecond_) : 0;
}

int AudioOutput::playedMs() {
    if (!device_)
        return 0;
    MMTIME time{};
    time.wType = TIME_BYTES;
    waveOutGetPosition(device_, &time, sizeof time);
    return bytesPerSecond_ ? static_cast<int>(static_cast<uint64_t>(time.u.cb) * 1000 / bytesPerSecond_) : 0;
}

void AudioOutput::pause() {
    if (device_)
        waveOutPause(device_);
}

void AudioOutput::resume() {
    if (device_)
        waveOutRestart(device_);
}

void AudioOutput::reset() {
    if (!device_)
        return;
    waveOutReset(device_); // marks every block done and the position 0
    reclaim();
}

} // namespace engine
