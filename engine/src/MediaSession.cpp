#include "MediaSession.h"

#include "GbkText.h"
#include "TrackCodes.h"

#include "../include/APlayerCaller.h"
#include "HttpByteStream.h"

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <propvarutil.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace engine {
namespace {

// The media libraries are bound on their first call, so that loading the
// engine does not load them. Where they are missing (editions of the system
// shipped without the media features) the delay-load helper would raise an
// exception on that call; an open fails plainly instead.
bool mediaLibrariesPresent() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    for (const wchar_t* name : {L"\\mfplat.dll", L"\\mfreadwrite.dll"})
        if (GetFileAttributesW((std::wstring(folder, length) + name).c_str()) == INVALID_FILE_ATTRIBUTES)
            return false;
    return true;
}

constexpr size_t kMaxQueuedFrames = 12;
constexpr size_t kSpareBuffers = 4; // decoded-frame buffers kept for reuse
constexpr int kMaxQueuedAudioMs = 2000;
constexpr DWORD kCookieWaitMs = 150; // the caller sets the cookie right after the open
// Network demuxing runs at most this far ahead of the shown picture.
constexpr uint64_t kPaceLeadSeconds = 10;
constexpr uint64_t kPaceMinLeadBytes = 8u << 20;
constexpr uint64_t kPaceStepBytes = 256u << 10; // the limit is moved in steps at least this large

template <typename T> struct Releaser {
    void operator()(T* p) const {
        if (p)
            p->Release();
    }
};
template <typename T> using Com = std::unique_ptr<T, Releaser<T>>;

int64_t nowMicros() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<int64_t>(c.QuadPart * 1'000'000 / frequency);
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return text.size() >= n && _strnicmp(text.c_str(), prefix, n) == 0;
}

// A file:// URL to a local path; anything else unchanged.
std::string localPath(const std::string& url) {
    if (!startsWithNoCase(url, "file://"))
        return url;
    std::string rest = url.substr(7);
    if (rest.size() > 2 && rest[0] == '/' && rest[2] == ':')
        rest.erase(0, 1); // file:///C:/x
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
            path.push_back(static_cast<char>(std::stoi(rest.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            path.push_back(rest[i] == '/' ? '\\' : rest[i]);
        }
    }
    return path;
}

// The name of a format for the missing-decoder report: its four-character
// code where it has one, else its number.
std::string formatName(const GUID& subtype) {
    const uint32_t code = subtype.Data1;
    char text[5] = {static_cast<char>(code & 0xFF), static_cast<char>((code >> 8) & 0xFF),
                    static_cast<char>((code >> 16) & 0xFF), static_cast<char>((code >> 24) & 0xFF), 0};
    bool printable = true;
    for (int i = 0; i < 4; ++i)
        printable = printable && text[i] >= 0x20 && text[i] < 0x7F;
    if (printable)
        return text;
    char number[16];
    std::snprintf(number, sizeof number, "0x%04X", static_cast<unsigned>(code));
    return number;
}

std::string readFileHeadAndTail(const std::wstring& path, size_t each) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    std::string bytes;
    auto readAt = [&](uint64_t offset, size_t count) {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        SetFilePointerEx(file, to, nullptr, FILE_BEGIN);
        std::string part(count, '\0');
        DWORD got = 0;
        ReadFile(file, part.data(), static_cast<DWORD>(count), &got, nullptr);
        part.resize(got);
        bytes += part;
    };
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    readAt(0, static_cast<size_t>(std::min<uint64_t>(total, each)));
    if (total > each)
        readAt(std::max<uint64_t>(each, total - each),
               static_cast<size_t>(std::min<uint64_t>(total - each, each)));
    CloseHandle(file);
    return bytes;
}

// Failures of a source that can read its container but not decode a track.
bool undecodable(HRESULT hr) {
    return hr == MF_E_UNSUPPORTED_FORMAT || hr == MF_E_UNSUPPORTED_BYTESTREAM_TYPE ||
           hr == MF_E_TOPO_CODEC_NOT_FOUND || hr == MF_E_INVALIDMEDIATYPE;
}

// Calls f(bytes, length) with the sample's data in one piece.
template <typename F> void withSampleBytes(IMFSample* sample, F f) {
    IMFMediaBuffer* bufferRaw = nullptr;
    if (FAILED(sample->ConvertToContiguousBuffer(&bufferRaw)))
        return;
    Com<IMFMediaBuffer> buffer(bufferRaw);
    BYTE* data = nullptr;
    DWORD length = 0;
    if (SUCCEEDED(buffer->Lock(&data, nullptr, &length))) {
        f(data, length);
        buffer->Unlock();
    }
}

} // namespace

MediaSession::MediaSession(EngineWindow& window, ConfigStore& config, std::atomic<int>& volume,
                           SubtitleTrack& subtitles)
    : window_(window), config_(config), volume_(volume), subtitles_(subtitles) {}

MediaSession::~MediaSession() {
    stop();
}

void MediaSession::start(const std::string& url) {
    state_ = APLAYER_STATE_OPENING;
    reader_ = std::thread([this, url] { readerMain(url); });
}

void MediaSession::stop() {
    std::shared_ptr<HttpSource> http;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        http = http_;
        changed_.notify_all();
    }
    if (http)
        http->abort(); // ends a read blocked on the network
    if (reader_.joinable())
        reader_.join();
    if (presenter_.joinable())
        presenter_.join();
    audio_.close();
    state_ = APLAYER_STATE_IDLE;
}

void MediaSession::cookieArrived() {
    std::lock_guard lock(mutex_);
    cookieSet_ = true;
    changed_.notify_all();
}

void MediaSession::pictureChanged() {
    std::lock_guard lock(mutex_);
    repaint_ = true;
    changed_.notify_all();
}

uint64_t MediaSession::totalBytes() const {
    std::lock_guard lock(mutex_);
    if (http_) {
        const int64_t n = http_->length();
        return n > 0 ? static_cast<uint64_t>(n) : 0;
    }
    return static_cast<uint64_t>(fileBytes_.load());
}

uint64_t MediaSession::availableBytes() const {
    std::lock_guard lock(mutex_);
    return http_ ? http_->available() : static_cast<uint64_t>(fileBytes_.load());
}

// ---- clock ----

int MediaSession::clockNow() const {
    if (!clockRunning_)
        return clockBaseMs_;
    if (audioClock_)
        return clockBaseMs_ + const_cast<AudioOutput&>(audio_).playedMs();
    return clockBaseMs_ + static_cast<int>((nowMicros() - clockStartUs_) / 1000);
}

void MediaSession::clockSet(int ms) {
    clockBaseMs_ = ms;
    clockStartUs_ = nowMicros();
    if (audioClock_)
        audio_.reset();
}

void MediaSession::clockRun(bool run) {
    if (run == clockRunning_)
        return;
    if (run) {
        clockStartUs_ = nowMicros();
        if (audioClock_) {
            clockBaseMs_ -= audio_.playedMs(); // the card's count goes on from where it stopped
            audio_.resume();
        }
    } else {
        clockBaseMs_ = clockNow();
        if (audioClock_) {
            clockBaseMs_ -= audio_.playedMs();
            audio_.pause();
            clockBaseMs_ += audio_.playedMs();
        }
    }
    clockRunning_ = run;
}

int MediaSession::position() const {
    if (seeking()) {
        std::lock_guard lock(mutex_);
        return seekTarget_;
    }
    std::lock_guard lock(mutex_);
    if (!clockStarted_)
        return 0;
    const int duration = durationMs_.load();
    const int now = std::max(clockNow(), 0);
    return duration > 0 ? std::min(now, duration) : now;
}

// ---- commands ----

bool MediaSession::play() {
    std::lock_guard lock(mutex_);
    const int s = state_.load();
    if (s == APLAYER_STATE_IDLE || !paused_)
        return s != APLAYER_STATE_IDLE;
    paused_ = false;
    if (clockStarted_)
        clockRun(true);
    if (s == APLAYER_STATE_PAUSED)
        state_ = APLAYER_STATE_PLAYING;
    changed_.notify_all();
    return true;
}

bool MediaSession::pause() {
    std::lock_guard lock(mutex_);
    const int s = state_.load();
    if (s == APLAYER_STATE_IDLE)
        return false;
    paused_ = true;
    clockRun(false);
    if (s == APLAYER_STATE_PLAYING || s == APLAYER_STATE_BUFFERING)
        state_ = APLAYER_STATE_PAUSED;
    changed_.notify_all();
    return true;
}

bool MediaSession::seek(int ms) {
    std::lock_guard lock(mutex_);
    if (state_.load() == APLAYER_STATE_IDLE)
        return false;
    if (http_)
        http_->paceTo(UINT64_MAX); // the demuxer must be free to flush and go anywhere
    pacedTo_ = 0;
    const int duration = durationMs_.load();
    seekTarget_ = std::max(0, duration > 0 ? std::min(ms, duration) : ms);
    seekPending_ = true;
    frames_.clear();
    changed_.notify_all();
    return true;
}

// ---- reading ----

bool MediaSession::openReader(const std::string& url, IMFSourceReader** reader) {
    IMFAttributes* attributesRaw = nullptr;
    MFCreateAttributes(&attributesRaw, 2);
    Com<IMFAttributes> attributes(attributesRaw);
    if (isNetworkUrl(url)) {
        {
            // Give the caller a moment to hand over the stream's cookie.
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, std::chrono::milliseconds(kCookieWaitMs),
                              [this] { return cookieSet_ || stopping_; });
            if (stopping_)
                return false;
        }
        HttpSourceOptions options;
        options.cookie = config_.get(APLAYER_ITEM_COOKIE);
        options.onBuffering = [this](int percent) {
            bufferPercent_ = percent;
            window_.postBuffering(percent);
        };
        auto http = std::make_shared<HttpSource>(url, std::move(options));
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return false;
            http_ = http;
        }
        if (!http->open())
            return false;
        Com<HttpByteStream> stream(new HttpByteStream(http));
        openError_ = MFCreateSourceReaderFromByteStream(stream.get(), attributes.get(), reader);
        if (undecodable(openError_)) {
            std::string head(1u << 20, '\0');
            const long n = http->read(0, reinterpret_cast<uint8_t*>(head.data()), head.size());
            head.resize(n > 0 ? static_cast<size_t>(n) : 0);
            containerCodes_ = trackCodes(head);
        }
        return SUCCEEDED(openError_);
    }
    const std::wstring path = widenGbk(localPath(url));
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) {
        const int64_t size =
            static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
        if (size == 0 || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        fileBytes_ = size;
    }
    // Other schemes go to the platform's own resolver, which may have no handler.
    openError_ = MFCreateSourceReaderFromURL(path.c_str(), attributes.get(), reader);
    if (undecodable(openError_) && fileBytes_ > 0)
        containerCodes_ = trackCodes(readFileHeadAndTail(path, 8u << 20));
    return SUCCEEDED(openError_);
}

void MediaSession::readerMain(std::string url) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const bool mf = mediaLibrariesPresent() && SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_FULL));
    IMFSourceReader* readerRaw = nullptr;
    if (mf && openReader(url, &readerRaw)) {
        Com<IMFSourceReader> reader(readerRaw);
        readLoop(reader.get());
    } else if (!containerCodes_.empty()) {
        // Where decoders sit inside the media source (as on Wine), a track
        // without a decoder makes the whole source fail: name its format.
        window_.postMissingDecoder(containerCodes_);
    }
    {
        std::lock_guard lock(mutex_);
        readerEnded_ = true;
        changed_.notify_all();
    }
    if (!presenter_.joinable()) // never got as far as playing
        finish();
    if (mf)
        MFShutdown();
    if (SUCCEEDED(com))
        CoUninitialize();
}

void MediaSession::readLoop(IMFSourceReader* reader) {
    const DWORD video = static_cast<DWORD>(MF_SOURCE_READER_FIRST_VIDEO_STREAM);
    const DWORD audio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
    reader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);

    // Each stream is asked for our output format; a stream without a decoder is
    // reported once and left out, the other one still plays.
    std::string missing;
    auto configure = [&](DWORD stream, const GUID& major, const GUID& subtype, GUID* chosen = nullptr) {
        IMFMediaType* nativeRaw = nullptr;
        if (FAILED(reader->GetNativeMediaType(stream, 0, &nativeRaw)))
            return false; // no such stream
        Com<IMFMediaType> native(nativeRaw);
        reader->SetStreamSelection(stream, TRUE);
        auto ask = [&](const GUID& format) {
            IMFMediaType* wantedRaw = nullptr;
            MFCreateMediaType(&wantedRaw);
            Com<IMFMediaType> wanted(wantedRaw);
            wanted->SetGUID(MF_MT_MAJOR_TYPE, major);
            wanted->SetGUID(MF_MT_SUBTYPE, format);
            if (major == MFMediaType_Audio)
                wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
            if (FAILED(reader->SetCurrentMediaType(stream, nullptr, wanted.get())))
                return false;
            if (chosen)
                *chosen = format;
            return true;
        };
        GUID nativeSubtype{};
        native->GetGUID(MF_MT_SUBTYPE, &nativeSubtype);
        // A decoder whose own output is planar 4:2:0 is taken as it is: asking it
        // for NV12 would add a conversion pass per picture inside the platform.
        if (chosen && (nativeSubtype == MFVideoFormat_I420 || nativeSubtype == MFVideoFormat_IYUV) &&
            ask(nativeSubtype))
            return true;
        if (ask(subtype))
            return true;
        if (!missing.empty())
            missing += ", ";
        missing += formatName(nativeSubtype);
        reader->SetStreamSelection(stream, FALSE);
        return false;
    };
    GUID videoFormat = MFVideoFormat_NV12;
    const bool haveVideo = configure(video, MFMediaType_Video, MFVideoFormat_NV12, &videoFormat);
    const bool planarChroma = videoFormat != MFVideoFormat_NV12; // I420: a U plane, then a V plane
    const bool haveAudio = configure(audio, MFMediaType_Audio, MFAudioFormat_PCM);
    if (!missing.empty())
        window_.postMissingDecoder(missing);
    if (!haveVideo && !haveAudio)
        return;

    int width = 0, height = 0, stride = 0;
    auto readVideoType = [&] {
        IMFMediaType* typeRaw = nullptr;
        if (FAILED(reader->GetCurrentMediaType(video, &typeRaw)))
            return;
        Com<IMFMediaType> type(typeRaw);
        UINT32 w = 0, h = 0, num = 0, den = 0;
        MFGetAttributeSize(type.get(), MF_MT_FRAME_SIZE, &w, &h);
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        UINT32 defaultStride = 0;
        stride = SUCCEEDED(type->GetUINT32(MF_MT_DEFAULT_STRIDE, &defaultStride))
                     ? std::abs(static_cast<int>(static_cast<INT32>(defaultStride)))
                     : width;
        if (SUCCEEDED(MFGetAttributeRatio(type.get(), MF_MT_FRAME_RATE, &num, &den)) && num > 0 && den > 0) {
            std::lock_guard lock(mutex_);
            frameIntervalMs_ = std::clamp(static_cast<int>(1000ull * den / num), 5, 200);
        }
        videoWidth_ = width;
        videoHeight_ = height;
    };
    if (haveVideo)
        readVideoType();
    if (haveAudio) {
        IMFMediaType* typeRaw = nullptr;
        if (SUCCEEDED(reader->GetCurrentMediaType(audio, &typeRaw))) {
            Com<IMFMediaType> type(typeRaw);
            const UINT32 rate = MFGetAttributeUINT32(type.get(), MF_MT_AUDIO_SAMPLES_PER_SECOND, 44100);
            const UINT32 channels = MFGetAttributeUINT32(type.get(), MF_MT_AUDIO_NUM_CHANNELS, 2);
            audioClock_ = audio_.open(static_cast<int>(rate), static_cast<int>(channels));
        }
    }
    PROPVARIANT durationVar;
    PropVariantInit(&durationVar);
    if (SUCCEEDED(reader->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE),
                                                   MF_PD_DURATION, &durationVar)))
        durationMs_ = static_cast<int>(durationVar.uhVal.QuadPart / 10'000);
    PropVariantClear(&durationVar);
    {
        // The stream's bitrate sizes the network read-ahead.
        std::lock_guard lock(mutex_);
        if (http_ && durationMs_ > 0 && http_->length() > 0)
            http_->setBytesPerSecond(static_cast<uint64_t>(http_->length()) * 1000 / durationMs_);
    }

    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        state_ = paused_ ? APLAYER_STATE_PAUSED : APLAYER_STATE_PLAYING;
        hasVideo_ = haveVideo;
    }
    presenter_ = std::thread([this] { presenterMain(); });

    int discardBefore = -1;
    std::map<DWORD, bool> streamIsVideo;
    bool videoEnded = !haveVideo, audioEnded = !haveAudio;
    for (;;) {
        int target = -1;
        {
            std::unique_lock lock(mutex_);
            // Wait for room, a seek or the end of the session.
            changed_.wait(lock, [&] {
                if (stopping_ || seekPending_)
                    return true;
                if (videoEnded && audioEnded)
                    return false; // at the end: only a seek or a stop wakes us
                const bool videoFull = frames_.size() >= kMaxQueuedFrames;
                const bool audioFull =
                    audioClock_ && const_cast<AudioOutput&>(audio_).queuedMs() > kMaxQueuedAudioMs;
                return !videoFull && !audioFull;
            });
            if (stopping_)
                return;
            if (seekPending_) {
                target = seekTarget_;
                seekingNow_ = true;
                seekPending_ = false;
                frames_.clear();
                readerEnded_ = false;
            }
        }
        if (target >= 0) {
            PROPVARIANT at;
            PropVariantInit(&at);
            at.vt = VT_I8;
            at.hVal.QuadPart = static_cast<LONGLONG>(target) * 10'000;
            reader->SetCurrentPosition(GUID_NULL, at);
            discardBefore = target;
            videoEnded = !haveVideo;
            audioEnded = !haveAudio;
            std::lock_guard lock(mutex_);
            clockSet(target);
            clockStarted_ = true;
            showNextWhilePaused_ = paused_;
        }

        DWORD streamIndex = 0, flags = 0;
        LONGLONG timestamp = 0;
        IMFSample* sampleRaw = nullptr;
        const HRESULT hr = reader->ReadSample(static_cast<DWORD>(MF_SOURCE_READER_ANY_STREAM), 0,
                                              &streamIndex, &flags, &timestamp, &sampleRaw);
        Com<IMFSample> sample(sampleRaw);
        if (FAILED(hr) || (flags & MF_SOURCE_READERF_ERROR)) {
            videoEnded = audioEnded = true; // a broken file or a dropped connection: play what we have
        } else {
            // Which stream a sample comes from: asked once per stream, not per sample.
            auto kind = streamIsVideo.find(streamIndex);
            if (kind == streamIsVideo.end()) {
                IMFMediaType* probe = nullptr;
                bool videoStream = false;
                if (haveVideo && SUCCEEDED(reader->GetCurrentMediaType(streamIndex, &probe))) {
                    GUID major{};
                    probe->GetGUID(MF_MT_MAJOR_TYPE, &major);
                    videoStream = major == MFMediaType_Video;
                    probe->Release();
                }
                kind = streamIsVideo.emplace(streamIndex, videoStream).first;
            }
            const bool isVideo = kind->second;
            if (flags & MF_SOURCE_READERF_ENDOFSTREAM)
                (isVideo ? videoEnded : audioEnded) = true;
            if (isVideo && (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED))
                readVideoType();
            const int ms = static_cast<int>(timestamp / 10'000);
            if (sample && isVideo && width > 0 && height > 0) {
                withSampleBytes(sample.get(), [&](const BYTE* data, DWORD length) {
                    const int pitch = stride > 0 ? stride : width;
                    // The planes may be padded below: find the luma plane's height from the size.
                    const int planeHeight = pitch > 0 ? static_cast<int>(length * 2 / 3 / pitch) : 0;
                    const bool keep = discardBefore < 0 || ms + frameIntervalMs_ > discardBefore;
                    if (planeHeight < height || !keep)
                        return;
                    Frame frame;
                    frame.ms = ms;
                    frame.nv12.width = width & ~1;
                    frame.nv12.height = height & ~1;
                    frame.nv12.stride = pitch;
                    {
                        std::lock_guard lock(mutex_);
                        if (!spareBuffers_.empty()) {
                            frame.nv12.data = std::move(spareBuffers_.back());
                            spareBuffers_.pop_back();
                        }
                    }
                    const size_t lumaBytes = static_cast<size_t>(pitch) * frame.nv12.height;
                    frame.nv12.data.resize(lumaBytes + lumaBytes / 2);
                    std::memcpy(frame.nv12.data.data(), data, lumaBytes);
                    const BYTE* chroma = data + static_cast<size_t>(pitch) * planeHeight;
                    uint8_t* chromaOut = frame.nv12.data.data() + lumaBytes;
                    if (planarChroma) {
                        // Woven into NV12 while copying: one pass either way.
                        const int chromaPitch = pitch / 2;
                        const BYTE* vPlane = chroma + static_cast<size_t>(chromaPitch) * (planeHeight / 2);
                        for (int row = 0; row < frame.nv12.height / 2; ++row)
                            interleaveChroma(chroma + static_cast<size_t>(row) * chromaPitch,
                                             vPlane + static_cast<size_t>(row) * chromaPitch,
                                             chromaOut + static_cast<size_t>(row) * pitch, chromaPitch);
                    } else {
                        std::memcpy(chromaOut, chroma, lumaBytes / 2);
                    }
                    std::lock_guard lock(mutex_);
                    if (!seekPending_) {
                        frames_.push_back(std::move(frame));
                        seekingNow_ = false;
                        discardBefore = -1;
                        changed_.notify_all();
                    }
                });
            } else if (sample && !isVideo && audioClock_) {
                if (discardBefore < 0 || !haveVideo) {
                    withSampleBytes(sample.get(), [&](const BYTE* data, DWORD length) {
                        const int volume = config_.flag(APLAYER_ITEM_MUTE) ? 0 : volume_.load();
                        audio_.write(data, length, volume);
                    });
                }
                if (!haveVideo)
                    seekingNow_ = false;
            }
        }
        if (videoEnded && audioEnded) {
            std::lock_guard lock(mutex_);
            readerEnded_ = true;
            seekingNow_ = false;
            changed_.notify_all();
        }
    }
}

// ---- presenting ----

PictureSettings MediaSession::pictureSettings() const {
    PictureSettings s;
    auto level = [&](int item) { return std::clamp(config_.number(item, 50), 0, 100); };
    s.brightness = level(APLAYER_ITEM_BRIGHTNESS);
    s.contrast = level(APLAYER_ITEM_CONTRAST);
    s.saturation = level(APLAYER_ITEM_SATURATION);
    s.hue = level(APLAYER_ITEM_HUE);
    s.flipHorizontal = config_.flag(APLAYER_ITEM_FLIP_H);
    s.flipVertical = config_.flag(APLAYER_ITEM_FLIP_V);
    s.rotation = PictureSettings::normaliseRotation(config_.number(APLAYER_ITEM_ROTATION, 0));
    s.enhance = config_.flag(APLAYER_ITEM_ENHANCE);
    s.compare = config_.flag(APLAYER_ITEM_COMPARE);
    return s;
}

void MediaSession::present(const Frame& frame) {
    // Converted into the picture the window showed before this one: same size,
    // same memory, no allocation per frame.
    converter_.convert(frame.nv12, pictureSettings(), picture_.pixels, picture_.width, picture_.height);
    // Subtitles go on after the picture settings, so turned or mirrored
    // pictures keep readable text.
    if (config_.get(APLAYER_ITEM_SUBTITLE_VISIBLE) != "0") {
        const SubtitleTrack::Snapshot track = subtitles_.current();
        if (track.cues && !track.cues->empty() && !picture_.empty()) {
            const int at = static_cast<int>(frame.ms) - config_.number(APLAYER_ITEM_SUBTITLE_DELAY, 0);
            subtitleRenderer_.draw(picture_.pixels.data(), picture_.width, picture_.height,
                                   track.cues->at(at), track.generation);
        }
    }
    window_.present(picture_);
    ++presented_;
}

void MediaSession::recycle(Frame&& frame) {
    if (spareBuffers_.size() < kSpareBuffers && !frame.nv12.data.empty())
        spareBuffers_.push_back(std::move(frame.nv12.data));
}

void MediaSession::replaceLastFrame(std::shared_ptr<Frame> frame) {
    if (lastFrame_ && lastFrame_.use_count() == 1)
        recycle(std::move(*lastFrame_));
    lastFrame_ = std::move(frame);
}

void MediaSession::finish() {
    state_ = APLAYER_STATE_IDLE;
    window_.showLogo();
}

// Lets the network demuxer read a bounded way past the shown position: the
// byte offset of the position (by the average bitrate) plus some seconds.
void MediaSession::paceNetwork() {
    const int duration = durationMs_.load();
    if (!http_ || duration <= 0 || seekPending_ || seekingNow_ || !clockStarted_)
        return;
    const int64_t length = http_->length();
    if (length <= 0)
        return;
    const uint64_t bytesPerSecond = static_cast<uint64_t>(length) * 1000 / static_cast<uint64_t>(duration);
    const uint64_t lead = std::max<uint64_t>(kPaceMinLeadBytes, bytesPerSecond * kPaceLeadSeconds);
    const uint64_t shown = static_cast<uint64_t>(length) * static_cast<uint64_t>(std::max(clockNow(), 0)) /
                           static_cast<uint64_t>(duration);
    const uint64_t limit = shown + lead;
    if (limit >= pacedTo_ + kPaceStepBytes || limit + kPaceStepBytes <= pacedTo_ || pacedTo_ == 0) {
        pacedTo_ = limit;
        http_->paceTo(limit);
    }
}

void MediaSession::presenterMain() {
    std::unique_lock lock(mutex_);
    // Converting and drawing happen with the lock released.
    auto presentUnlocked = [&](const Frame& frame) {
        lock.unlock();
        present(frame);
        lock.lock();
    };
    for (;;) {
        if (stopping_)
            return;
        paceNetwork();
        if (repaint_) {
            repaint_ = false;
            if (lastFrame_ && (paused_ || frames_.empty())) {
                auto frame = lastFrame_;
                presentUnlocked(*frame);
                continue;
            }
        }
        const bool pending = seekPending_ || seekingNow_;
        if (frames_.empty() && !hasVideo_) {
            // Sound only: the clock runs while not paused; the end comes when the
            // card has played everything.
            if (!paused_ && !pending) {
                if (!clockStarted_) {
                    clockSet(0);
                    clockStarted_ = true;
                }
                clockRun(true);
            }
            if (readerEnded_ && !pending && (!audioClock_ || audio_.queuedMs() == 0)) {
                state_ = APLAYER_STATE_IDLE; // under the lock: a seek from now on is refused, not lost
                lock.unlock();
                finish();
                return;
            }
            changed_.wait_for(lock, std::chrono::milliseconds(50));
            continue;
        }
        if (frames_.empty()) {
            if (readerEnded_ && !pending) {
                state_ = APLAYER_STATE_IDLE; // under the lock: a seek from now on is refused, not lost
                lock.unlock();
                finish(); // end of media: idle again, the logo comes back
                return;
            }
            // Out of pictures while playing: the network is behind.
            if (!paused_ && http_ && http_->waiting() && clockStarted_) {
                clockRun(false);
                state_ = APLAYER_STATE_BUFFERING;
            }
            changed_.wait_for(lock, std::chrono::milliseconds(50));
            continue;
        }
        if (paused_) {
            if (showNextWhilePaused_) {
                // A seek while paused shows the picture at the new position.
                showNextWhilePaused_ = false;
                auto frame = std::make_shared<Frame>(std::move(frames_.front()));
                frames_.pop_front();
                clockSet(static_cast<int>(frame->ms));
                replaceLastFrame(frame);
                changed_.notify_all();
                presentUnlocked(*frame);
                continue;
            }
            changed_.wait(lock);
            continue;
        }
        if (state_ == APLAYER_STATE_BUFFERING) {
            state_ = APLAYER_STATE_PLAYING;
            bufferPercent_ = 100;
        }
        Frame& next = frames_.front();
        if (!clockStarted_) {
            clockSet(static_cast<int>(next.ms));
            clockStarted_ = true;
        }
        if (!clockRunning_)
            clockRun(true);
        const int now = clockNow();
        const int due = static_cast<int>(next.ms);
        if (due > now) {
            changed_.wait_for(lock, std::chrono::milliseconds(std::min(due - now, 50)));
            continue;
        }
        if (now - due > frameIntervalMs_ && frames_.size() > 1) {
            recycle(std::move(frames_.front()));
            frames_.pop_front(); // late by more than a frame: drop it, do not queue up
            ++dropped_;
            changed_.notify_all();
            continue;
        }
        auto frame = std::make_shared<Frame>(std::move(next));
        frames_.pop_front();
        replaceLastFrame(frame);
        changed_.notify_all();
        presentUnlocked(*frame);
    }
}

} // namespace engine
