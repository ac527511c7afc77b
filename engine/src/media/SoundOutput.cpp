#include "SoundOutput.h"

#include <algorithm>

namespace engine {

bool SoundOutput::open(int sampleRate, int channels) {
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

void SoundOutput::close() {
    if (!device_)
        return;
    waveOutReset(device_);
    reclaim();
    waveOutClose(device_);
    device_ = nullptr;
}

void SoundOutput::reclaim() {
    std::lock_guard lock(mutex_);
    while (!blocks_.empty() && (blocks_.front()->header.dwFlags & WHDR_DONE)) {
        Block& block = *blocks_.front();
        waveOutUnprepareHeader(device_, &block.header, sizeof block.header);
        queuedBytes_ -= block.header.dwBufferLength;
        blocks_.pop_front();
    }
}

void SoundOutput::write(const int16_t* samples, size_t count) {
    if (!device_ || count == 0)
        return;
    reclaim();
    auto block = std::make_unique<Block>();
    block->data.assign(samples, samples + count);
    block->header.lpData = reinterpret_cast<LPSTR>(block->data.data());
    block->header.dwBufferLength = static_cast<DWORD>(count * sizeof(int16_t));
    waveOutPrepareHeader(device_, &block->header, sizeof block->header);
    std::lock_guard lock(mutex_);
    queuedBytes_ += block->header.dwBufferLength;
    waveOutWrite(device_, &block->header, sizeof block->header);
    blocks_.push_back(std::move(block));
}

void SoundOutput::setVolume(int volume) {
    if (!device_)
        return;
    const DWORD level = static_cast<DWORD>(std::clamp(volume, 0, 100)) * 0xFFFF / 100;
    waveOutSetVolume(device_, level | (level << 16));
}

int SoundOutput::queuedMs() {
    reclaim();
    std::lock_guard lock(mutex_);
    return bytesPerSecond_ ? static_cast<int>(queuedBytes_ * 1000 / bytesPerSecond_) : 0;
}

int SoundOutput::playedMs() {
    if (!device_)
        return 0;
    MMTIME time{};
    time.wType = TIME_BYTES;
    waveOutGetPosition(device_, &time, sizeof time);
    return bytesPerSecond_ ? static_cast<int>(static_cast<uint64_t>(time.u.cb) * 1000 / bytesPerSecond_) : 0;
}

void SoundOutput::pause() {
    if (device_)
        waveOutPause(device_);
}

void SoundOutput::resume() {
    if (device_)
        waveOutRestart(device_);
}

void SoundOutput::reset() {
    if (!device_)
        return;
    waveOutReset(device_); // marks every block done and the position 0
    reclaim();
}

} // namespace engine
