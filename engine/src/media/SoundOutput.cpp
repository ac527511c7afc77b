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
    paused_ = true;
    bytesPerSecond_ = static_cast<int>(format.nAvgBytesPerSec);
    channels_ = channels;
    history_.clear();
    historyStart_ = 0;
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
    history_.insert(history_.end(), samples, samples + count);
    const size_t keep = static_cast<size_t>(bytesPerSecond_) / 2 * kHistoryMs / 1000;
    if (history_.size() > keep + keep / 2) {
        const size_t drop = history_.size() - keep;
        history_.erase(history_.begin(), history_.begin() + static_cast<ptrdiff_t>(drop));
        historyStart_ += drop;
    }
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

int SoundOutput::setVolume(int volume) {
    volume_ = std::clamp(volume, 0, 100);
    if (!device_)
        return 0;
    return rewind(paused_);
}

int SoundOutput::rewind(bool paused) {
    // What is heard lags the device's count by its lead; from there on,
    // everything is handed over again.
    const int playedMs = this->playedMs();
    const int heardMs = std::max(playedMs - kDeviceLeadMs, 0);
    const size_t frameSamples = static_cast<size_t>(channels_);
    const size_t heardSamples =
        static_cast<size_t>(static_cast<int64_t>(heardMs) * (bytesPerSecond_ / 2) / 1000) / frameSamples *
        frameSamples;
    waveOutReset(device_); // the device's count starts again at 0
    reclaim();
    if (paused)
        waveOutPause(device_);
    const DWORD level = static_cast<DWORD>(volume_) * 0xFFFF / 100;
    waveOutSetVolume(device_, level | (level << 16));
    std::vector<int16_t> unheard;
    if (heardSamples >= historyStart_ && heardSamples - historyStart_ < history_.size())
        unheard.assign(history_.begin() + static_cast<ptrdiff_t>(heardSamples - historyStart_),
                       history_.end());
    history_.clear();
    historyStart_ = 0;
    paused_ = paused;
    if (!unheard.empty())
        write(unheard.data(), unheard.size());
    return heardMs;
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

int SoundOutput::pause() {
    if (!device_ || paused_)
        return 0;
    return rewind(true);
}

void SoundOutput::resume() {
    if (!device_ || !paused_)
        return;
    paused_ = false;
    waveOutRestart(device_);
}

void SoundOutput::reset() {
    if (!device_)
        return;
    waveOutReset(device_); // marks every block done and the position 0
    if (paused_)
        waveOutPause(device_);
    reclaim();
    history_.clear();
    historyStart_ = 0;
}

} // namespace engine
