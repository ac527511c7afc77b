#include "MediaSession.h"

#include "GbkText.h"

#include "../include/APlayerCaller.h"
#include "media/AudioDecoder.h"
#include "media/FfmpegApi.h"
#include "media/VideoDecoder.h"

#include <algorithm>
#include <cstring>

namespace engine {
namespace {

constexpr size_t kMaxQueuedFrames = 8; // decoded pictures ahead of the shown one
constexpr size_t kSpareBuffers = 4;    // decoded-frame buffers kept for reuse
constexpr int kSoundAheadMs = 250;     // sound handed to the device ahead of the heard
constexpr DWORD kCookieWaitMs = 150;   // the caller sets the cookie right after the open
// Packets read ahead: every stream has half a second of them (at least 25),
// or this many bytes are held, whichever comes first. (A second of them made
// a far seek over a slow line 0.2 s slower: 0.83-1.0 s against 0.70-0.80.)
constexpr size_t kMaxQueuedPacketBytes = 24u << 20;
constexpr int64_t kEnoughPacketMs = 500;
constexpr size_t kEnoughPackets = 25;
// Network demuxing runs at most this far ahead of the shown position.
constexpr uint64_t kPaceLeadSeconds = 10;
constexpr uint64_t kPaceMinLeadBytes = 8u << 20;
constexpr uint64_t kPaceStepBytes = 256u << 10; // the limit is moved in steps at least this large
// Sound of a gap in the stream's time stamps is filled with silence up to this.
// Time stamps that jump further than this are taken for damage, not for a
// gap or an overlap in the stream: the sound is laid on where it was.
constexpr int64_t kMaxSilenceMs = 1'000;
// Sound that has run dry this long while playing hands the clock to the
// system's until the next seek, so that a damaged or starved sound track
// cannot hold the picture.
constexpr int kSoundDryMs = 300;
constexpr int kSlackMs = 20; // time stamp jitter that is neither a gap nor an overlap

struct PacketDeleter {
    void operator()(AVPacket* p) const { ff().av_packet_free(&p); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { ff().av_frame_free(&f); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

int64_t toMs(int64_t value, AVRational base) {
    return ff().av_rescale_q(value, base, AVRational{1, 1000});
}

} // namespace

// ---- packet queues ----

void MediaSession::PacketQueue::push(AVPacket* packet, int64_t ms) {
    packets.push_back(packet);
    packetMs.push_back(std::max<int64_t>(ms, 0));
    bytes += static_cast<size_t>(std::max(packet->size, 0));
    durationMs += packetMs.back();
}

AVPacket* MediaSession::PacketQueue::pop() {
    if (packets.empty())
        return nullptr;
    AVPacket* packet = packets.front();
    packets.pop_front();
    bytes -= static_cast<size_t>(std::max(packet->size, 0));
    durationMs -= packetMs.front();
    packetMs.pop_front();
    return packet;
}

void MediaSession::PacketQueue::clear() {
    for (AVPacket* packet : packets)
        ff().av_packet_free(&packet);
    packets.clear();
    packetMs.clear();
    bytes = 0;
    durationMs = 0;
}

bool MediaSession::PacketQueue::enough() const {
    return packets.size() >= kEnoughPackets && (durationMs >= kEnoughPacketMs || durationMs == 0);
}

// ---- life ----

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
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (demuxer_)
            demuxer_->abort(); // ends a read blocked on the network or the disk
        else if (source_)
            source_->abort();
        wakeAll();
    }
    for (std::thread* t : {&reader_, &video_, &audio_, &presenter_})
        if (t->joinable())
            t->join();
    {
        std::lock_guard lock(mutex_);
        videoPackets_.clear();
        audioPackets_.clear();
    }
    sound_.close();
    demuxer_.reset();
    state_ = APLAYER_STATE_IDLE;
}

void MediaSession::wakeAll() {
    demuxCv_.notify_all();
    videoCv_.notify_all();
    audioCv_.notify_all();
    presenterCv_.notify_all();
}

void MediaSession::cookieArrived() {
    std::lock_guard lock(mutex_);
    cookieSet_ = true;
    demuxCv_.notify_all();
}

void MediaSession::pictureChanged() {
    std::lock_guard lock(mutex_);
    repaint_ = true;
    presenterCv_.notify_all();
}

int MediaSession::soundVolume() const {
    return config_.flag(APLAYER_ITEM_MUTE) ? 0 : volume_.load();
}

void MediaSession::volumeChanged() {
    std::lock_guard lock(mutex_);
    clock_.setVolume(soundVolume());
}

uint64_t MediaSession::totalBytes() const {
    std::lock_guard lock(mutex_);
    const int64_t n = source_ ? source_->length() : 0;
    return n > 0 ? static_cast<uint64_t>(n) : 0;
}

uint64_t MediaSession::availableBytes() const {
    std::lock_guard lock(mutex_);
    if (http_)
        return http_->available();
    const int64_t n = source_ ? source_->length() : 0;
    return n > 0 ? static_cast<uint64_t>(n) : 0;
}

int MediaSession::position() const {
    std::lock_guard lock(mutex_);
    if (seekPending_ || seekingNow_)
        return seekTarget_;
    if (!clock_.started())
        return 0;
    const int duration = durationMs_.load();
    const int now = std::max(clock_.now(), 0);
    return duration > 0 ? std::min(now, duration) : now;
}

// ---- commands ----

bool MediaSession::play() {
    std::lock_guard lock(mutex_);
    const int s = state_.load();
    if (s == APLAYER_STATE_IDLE || !paused_)
        return s != APLAYER_STATE_IDLE;
    paused_ = false;
    if (s == APLAYER_STATE_PAUSED)
        state_ = APLAYER_STATE_PLAYING;
    presenterCv_.notify_all(); // the presenter starts the clock
    return true;
}

bool MediaSession::pause() {
    std::lock_guard lock(mutex_);
    const int s = state_.load();
    if (s == APLAYER_STATE_IDLE)
        return false;
    paused_ = true;
    clock_.run(false);
    if (s == APLAYER_STATE_PLAYING || s == APLAYER_STATE_BUFFERING)
        state_ = APLAYER_STATE_PAUSED;
    presenterCv_.notify_all();
    return true;
}

bool MediaSession::seek(int ms) {
    std::lock_guard lock(mutex_);
    if (state_.load() == APLAYER_STATE_IDLE)
        return false;
    requestSeek(ms);
    return true;
}

void MediaSession::requestSeek(int ms) {
    if (http_)
        http_->paceTo(UINT64_MAX); // the demuxer must be free to go anywhere
    pacedTo_ = 0;
    const int duration = durationMs_.load();
    seekTarget_ = std::max(0, duration > 0 ? std::min(ms, duration) : ms);
    seekPending_ = true;
    dropFrames();
    wakeAll();
}

// ---- tracks ----

std::string MediaSession::trackList(bool audio) const {
    std::lock_guard lock(mutex_);
    std::string text;
    const std::vector<TrackInfo>& list = audio ? audioTracks_ : textTracks_;
    for (size_t i = 0; i < list.size(); ++i)
        text += std::to_string(i) + "\t" + list[i].language + "\t" + list[i].codec + "\t" + list[i].title +
                (i + 1 < list.size() ? "\n" : "");
    return text;
}

int MediaSession::chosenTrack(bool audio) const {
    std::lock_guard lock(mutex_);
    if (!audio)
        return textTrack_;
    const int stream = pendingAudioStream_ >= 0 ? pendingAudioStream_ : audioStream_;
    for (size_t i = 0; i < audioTracks_.size(); ++i)
        if (audioTracks_[i].stream == stream)
            return static_cast<int>(i);
    return -1;
}

bool MediaSession::chooseTrack(bool audio, int number) {
    std::lock_guard lock(mutex_);
    const std::vector<TrackInfo>& list = audio ? audioTracks_ : textTracks_;
    if (number < (audio ? 0 : -1) || number >= static_cast<int>(list.size()))
        return false;
    if (!audio) {
        textTrack_ = number;
        textChosen_ = true;
        const auto cues =
            number >= 0 ? textCues_.find(list[static_cast<size_t>(number)].stream) : textCues_.end();
        textShown_ = cues != textCues_.end() ? std::make_shared<CueIndex>(cues->second.cues) : nullptr;
        ++textGeneration_;
        repaint_ = true;
        presenterCv_.notify_all();
        return true;
    }
    const int stream = list[static_cast<size_t>(number)].stream;
    // Only a movie whose sound plays can change its sound track.
    if (audioStream_ < 0 || state_.load() == APLAYER_STATE_IDLE)
        return false;
    if (stream == (pendingAudioStream_ >= 0 ? pendingAudioStream_ : audioStream_))
        return true;
    pendingAudioStream_ = stream;
    // Played on from where the viewer is: the reader switches with a seek.
    const bool wasSeeking = seekPending_ || seekingNow_;
    const int at = wasSeeking ? seekTarget_ : std::max(clock_.started() ? clock_.now() : 0, 0);
    requestSeek(at);
    return true;
}

void MediaSession::takeTextPacket(AVPacket& packet) {
    const auto decoder = textDecoders_.find(packet.stream_index);
    if (decoder == textDecoders_.end())
        return;
    std::optional<Cue> cue = decoder->second->decode(packet, startMs_);
    if (!cue)
        return;
    std::lock_guard lock(mutex_);
    TextCues& track = textCues_[packet.stream_index];
    if (!track.seen.insert({cue->startMs, cue->text}).second)
        return;
    track.cues.push_back(std::move(*cue));
    if (textTrack_ >= 0 && textTracks_[static_cast<size_t>(textTrack_)].stream == packet.stream_index) {
        textShown_ = std::make_shared<CueIndex>(track.cues);
        ++textGeneration_;
        if (paused_)
            repaint_ = true;
        presenterCv_.notify_all();
    }
}

// What the presenter draws: a subtitle file or a swarm's subtitles come
// first; a track of the movie's own is shown when there is none, or when the
// caller chose it.
SubtitleTrack::Snapshot MediaSession::shownSubtitles() const {
    SubtitleTrack::Snapshot file = subtitles_.current();
    std::lock_guard lock(mutex_);
    const bool fileHasCues = file.cues && !file.cues->empty();
    if (textTrack_ < 0 || (fileHasCues && !textChosen_))
        return file;
    // Numbered apart from the file's loads, so the renderer never takes one
    // for the other.
    return {textShown_, (uint64_t{1} << 63) | textGeneration_};
}

// ---- opening ----

bool MediaSession::openSource(const std::string& url) {
    if (isNetworkUrl(url)) {
        {
            // Give the caller a moment to hand over the stream's cookie.
            std::unique_lock lock(mutex_);
            demuxCv_.wait_for(lock, std::chrono::milliseconds(kCookieWaitMs),
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
            source_ = std::make_shared<NetworkSource>(http);
        }
        return http->open();
    }
    std::shared_ptr<ByteSource> file = FileSource::open(widenGbk(localPath(url)));
    if (!file || file->length() <= 0)
        return false;
    std::lock_guard lock(mutex_);
    source_ = std::move(file);
    return !stopping_;
}

bool MediaSession::openMedia() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
        demuxer_ = std::make_unique<Demuxer>(source_);
    }
    if (!demuxer_->open())
        return false;
    AVFormatContext* format = demuxer_->context();
    startMs_ = format->start_time != AV_NOPTS_VALUE ? format->start_time / 1000 : 0;

    // A stream without a decoder is reported once and left out; the other
    // one still plays.
    std::string missing;
    auto usable = [&](int index) {
        if (index < 0)
            return false;
        const AVCodecParameters& p = *demuxer_->stream(index)->codecpar;
        if (ff().avcodec_find_decoder(p.codec_id))
            return true;
        missing += (missing.empty() ? "" : ", ") + streamFormatName(p);
        return false;
    };
    const int video = demuxer_->bestStream(AVMEDIA_TYPE_VIDEO);
    const int audio = demuxer_->bestStream(AVMEDIA_TYPE_AUDIO);
    videoStream_ = usable(video) ? video : -1;
    audioStream_ = usable(audio) ? audio : -1;
    if (!missing.empty())
        window_.postMissingDecoder(missing);
    if (videoStream_ < 0 && audioStream_ < 0)
        return false;

    if (videoStream_ >= 0) {
        const AVStream& s = *demuxer_->stream(videoStream_);
        videoWidth_ = s.codecpar->width;
        videoHeight_ = s.codecpar->height;
        AVRational rate = s.avg_frame_rate.num > 0 ? s.avg_frame_rate : s.r_frame_rate;
        if (rate.num > 0 && rate.den > 0)
            frameIntervalMs_ = std::clamp(static_cast<int>(1000LL * rate.den / rate.num), 5, 200);
    }
    durationMs_ = demuxer_->durationMs();
    if (audioStream_ >= 0 && sound_.open(kOutputRate, kOutputChannels)) {
        clock_.followSound(true);
        clock_.setVolume(soundVolume());
    }
    for (int index : {videoStream_, audioStream_})
        if (index >= 0)
            demuxer_->stream(index)->discard = AVDISCARD_DEFAULT;
    // The movie's own tracks: every sound track with a decoder, every text
    // subtitle track (read as they come; they are small).
    std::vector<TrackInfo> audioTracks, textTracks;
    for (const TrackInfo& track : demuxer_->tracks(AVMEDIA_TYPE_AUDIO))
        if (ff().avcodec_find_decoder(demuxer_->stream(track.stream)->codecpar->codec_id))
            audioTracks.push_back(track);
    for (const TrackInfo& track : demuxer_->tracks(AVMEDIA_TYPE_SUBTITLE)) {
        AVStream* s = demuxer_->stream(track.stream);
        auto decoder = std::make_unique<TextTrackDecoder>();
        if (!TextTrackDecoder::readable(s->codecpar->codec_id) || !decoder->open(*s))
            continue;
        s->discard = AVDISCARD_DEFAULT;
        textDecoders_[track.stream] = std::move(decoder);
        textTracks.push_back(track);
    }
    {
        std::lock_guard lock(mutex_);
        audioTracks_ = std::move(audioTracks);
        textTracks_ = std::move(textTracks);
        textTrack_ = textTracks_.empty() ? -1 : 0;
    }
    // The stream's bitrate sizes the network read-ahead.
    if (http_ && durationMs_ > 0 && http_->length() > 0)
        http_->setBytesPerSecond(static_cast<uint64_t>(http_->length()) * 1000 / durationMs_);
    return true;
}

void MediaSession::readerMain(std::string url) {
    const FfmpegLoad libraries = loadFfmpeg();
    if (!libraries.api) {
        window_.postMissingDecoder(libraries.failedLibrary);
        finish();
        return;
    }
    if (!openSource(url) || !openMedia()) {
        finish();
        return;
    }
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        state_ = paused_ ? APLAYER_STATE_PAUSED : APLAYER_STATE_PLAYING;
        videoEnded_ = videoStream_ < 0;
        audioEnded_ = audioStream_ < 0;
        clock_.set(0);
    }
    presenter_ = std::thread([this] { presenterMain(); });
    if (videoStream_ >= 0)
        video_ = std::thread([this] { videoMain(); });
    if (audioStream_ >= 0)
        audio_ = std::thread([this] { audioMain(); });
    demuxLoop();
}

// ---- reading ----

int64_t MediaSession::packetMs(const AVPacket& packet) const {
    const AVStream* s = demuxer_->stream(packet.stream_index);
    return packet.duration > 0 ? toMs(packet.duration, s->time_base) : 0;
}

bool MediaSession::queuesFull() const {
    if (videoPackets_.bytes + audioPackets_.bytes >= kMaxQueuedPacketBytes)
        return true;
    return (videoStream_ < 0 || videoPackets_.enough()) && (audioStream_ < 0 || audioPackets_.enough());
}

void MediaSession::markEnded(bool video) {
    (video ? videoEnded_ : audioEnded_) = true;
    if (video || videoStream_ < 0)
        seekingNow_ = false; // nothing more will land for this seek
    presenterCv_.notify_all();
}

void MediaSession::demuxLoop() {
    PacketPtr packet(ff().av_packet_alloc());
    if (!packet)
        return;
    for (;;) {
        int target = -1;
        {
            std::unique_lock lock(mutex_);
            demuxCv_.wait(lock, [&] { return stopping_ || seekPending_ || (!demuxEnded_ && !queuesFull()); });
            if (stopping_)
                return;
            if (seekPending_) {
                if (pendingAudioStream_ >= 0) {
                    demuxer_->stream(audioStream_)->discard = AVDISCARD_ALL;
                    audioStream_ = pendingAudioStream_;
                    demuxer_->stream(audioStream_)->discard = AVDISCARD_DEFAULT;
                    pendingAudioStream_ = -1;
                }
                target = seekTarget_;
                seekPending_ = false;
                seekingNow_ = true;
                ++generation_;
                generationTargetMs_ = target;
                videoPackets_.clear();
                audioPackets_.clear();
                dropFrames();
                demuxEnded_ = false;
                videoEnded_ = videoStream_ < 0;
                audioEnded_ = audioStream_ < 0;
                clock_.set(target); // drops the sound queued so far
                showNextWhilePaused_ = paused_;
                wakeAll();
            }
        }
        if (target >= 0) {
            demuxer_->seek(target);
            continue;
        }
        const int result = demuxer_->read(packet.get());
        if (result >= 0 && textDecoders_.count(packet->stream_index)) {
            takeTextPacket(*packet);
            ff().av_packet_unref(packet.get());
            continue;
        }
        std::lock_guard lock(mutex_);
        if (result < 0) {
            // The end, a broken file or a dropped connection: play what we have.
            if (result != AVERROR(EAGAIN))
                demuxEnded_ = true;
            videoCv_.notify_all();
            audioCv_.notify_all();
            continue;
        }
        const int index = packet->stream_index;
        if (seekPending_ || (index != videoStream_ && index != audioStream_)) {
            ff().av_packet_unref(packet.get());
            continue;
        }
        AVPacket* queued = ff().av_packet_alloc();
        if (!queued) {
            ff().av_packet_unref(packet.get());
            continue;
        }
        ff().av_packet_move_ref(queued, packet.get());
        (index == videoStream_ ? videoPackets_ : audioPackets_).push(queued, packetMs(*queued));
        (index == videoStream_ ? videoCv_ : audioCv_).notify_all();
    }
}

// ---- decoding ----

MediaSession::Step MediaSession::nextStep(PacketQueue& queue, std::condition_variable& wake, int& generation,
                                          bool& drained, AVPacket*& packet,
                                          std::unique_lock<std::mutex>& lock) {
    wake.wait(lock, [&] {
        return stopping_ || generation != generation_ || !queue.packets.empty() || (demuxEnded_ && !drained);
    });
    if (stopping_)
        return Step::Stop;
    if (generation != generation_) {
        generation = generation_;
        drained = false;
        return Step::NewGeneration;
    }
    if (!queue.packets.empty()) {
        packet = queue.pop();
        demuxCv_.notify_all(); // room for the reader
        return Step::Packet;
    }
    drained = true;
    return Step::Drain;
}

void MediaSession::videoMain() {
    VideoDecoder decoder;
    FramePtr frame(ff().av_frame_alloc());
    SwsContext* scaler = nullptr;
    const AVStream* stream = demuxer_->stream(videoStream_);
    if (!frame || !decoder.open(*stream)) {
        window_.postMissingDecoder(streamFormatName(*stream->codecpar));
        std::lock_guard lock(mutex_);
        markEnded(true);
        return;
    }
    int generation = 0, discardBefore = -1;
    int64_t lastMs = INT64_MIN; // the time of the picture before, in this generation
    bool drained = false;
    for (;;) {
        PacketPtr packet;
        bool drain = false, flush = false;
        {
            std::unique_lock lock(mutex_);
            AVPacket* taken = nullptr;
            const Step step = nextStep(videoPackets_, videoCv_, generation, drained, taken, lock);
            if (step == Step::Stop)
                break;
            packet.reset(taken);
            if (step == Step::NewGeneration) {
                discardBefore = generationTargetMs_;
                lastMs = INT64_MIN;
                flush = true;
            }
            drain = step == Step::Drain;
        }
        if (flush) {
            decoder.flush();
            continue;
        }
        auto receiveAll = [&] {
            while (decoder.receive(frame.get()) == 0) {
                const int64_t pts = frame->best_effort_timestamp;
                int64_t ms = pts == AV_NOPTS_VALUE ? lastMs + frameIntervalMs_
                                                   : toMs(pts, stream->time_base) - startMs_;
                // A picture far ahead of the one before is damage, not a jump in
                // the movie: it follows the one before.
                if (lastMs != INT64_MIN && discardBefore < 0 && ms > lastMs + kMaxSilenceMs)
                    ms = lastMs + frameIntervalMs_;
                lastMs = ms;
                Frame out;
                {
                    std::lock_guard lock(mutex_);
                    if (generation != generation_ || stopping_) {
                        ff().av_frame_unref(frame.get());
                        return;
                    }
                    // After a seek, nothing before the target is shown: the
                    // picture that covers it is the first.
                    if (discardBefore >= 0 && ms + frameIntervalMs_ <= discardBefore) {
                        ff().av_frame_unref(frame.get());
                        continue;
                    }
                    if (!spareBuffers_.empty()) {
                        out.nv12.data = std::move(spareBuffers_.back());
                        spareBuffers_.pop_back();
                    }
                }
                out.ms = ms;
                const bool converted = toNv12(*frame, out.nv12, scaler);
                ff().av_frame_unref(frame.get());
                if (!converted)
                    continue;
                std::unique_lock lock(mutex_);
                videoCv_.wait(lock, [&] {
                    return stopping_ || generation != generation_ || frames_.size() < kMaxQueuedFrames;
                });
                if (stopping_ || generation != generation_) {
                    recycle(std::move(out));
                    return;
                }
                if (frames_.empty() && videoWidth_ != out.nv12.width) {
                    videoWidth_ = out.nv12.width;
                    videoHeight_ = out.nv12.height;
                }
                frames_.push_back(std::move(out));
                seekingNow_ = false;
                discardBefore = -1;
                presenterCv_.notify_all();
            }
        };
        const int sent = decoder.send(drain ? nullptr : packet.get());
        receiveAll();
        if (sent == AVERROR(EAGAIN) && !drain) {
            decoder.send(packet.get());
            receiveAll();
        }
        if (drain) {
            std::lock_guard lock(mutex_);
            if (generation == generation_)
                markEnded(true);
        }
    }
    releaseScaler(scaler);
}

void MediaSession::audioMain() {
    auto decoder = std::make_unique<AudioDecoder>();
    FramePtr frame(ff().av_frame_alloc());
    const AVStream* stream = demuxer_->stream(audioStream_);
    if (!frame || !decoder->open(*stream)) {
        window_.postMissingDecoder(streamFormatName(*stream->codecpar));
        std::lock_guard lock(mutex_);
        markEnded(false);
        return;
    }
    int streamIndex = audioStream_;
    constexpr int64_t samplesPerMs = kOutputRate / 1000;
    int generation = 0;
    int64_t baseMs = 0;  // where the generation's sound starts
    int64_t written = 0; // samples per channel written since then
    bool drained = false;
    std::vector<int16_t> pcm;
    for (;;) {
        PacketPtr packet;
        bool drain = false, flush = false;
        {
            std::unique_lock lock(mutex_);
            AVPacket* taken = nullptr;
            const Step step = nextStep(audioPackets_, audioCv_, generation, drained, taken, lock);
            if (step == Step::Stop)
                break;
            packet.reset(taken);
            if (step == Step::NewGeneration) {
                baseMs = generationTargetMs_;
                written = 0;
                flush = true;
                if (streamIndex != audioStream_) {
                    // Another sound track: a decoder of its own.
                    streamIndex = audioStream_;
                    stream = demuxer_->stream(streamIndex);
                    decoder = std::make_unique<AudioDecoder>();
                    if (!decoder->open(*stream)) {
                        window_.postMissingDecoder(streamFormatName(*stream->codecpar));
                        decoder.reset();
                    }
                }
            }
            drain = step == Step::Drain;
        }
        if (!decoder) {
            // A track that cannot be decoded plays as silence: the picture goes on.
            std::lock_guard lock(mutex_);
            if (drain && generation == generation_)
                markEnded(false);
            continue;
        }
        if (flush) {
            decoder->flush();
            continue;
        }
        auto receiveAll = [&] {
            while (decoder->receive(frame.get()) == 0) {
                const int64_t pts = frame->best_effort_timestamp;
                pcm.clear();
                const bool converted = decoder->convert(*frame, pcm);
                ff().av_frame_unref(frame.get());
                if (!converted || pcm.empty())
                    continue;
                // Lay the sound on the generation's timeline: fill a gap before
                // it with silence, cut what lies before where we are (the part
                // before a seek's target, an overlap).
                const int64_t atMs = baseMs + written / samplesPerMs;
                const int64_t ms = pts == AV_NOPTS_VALUE ? atMs : toMs(pts, stream->time_base) - startMs_;
                size_t skip = 0;
                if (ms > atMs + kSlackMs && ms <= atMs + kMaxSilenceMs) {
                    const int64_t silence = (ms - atMs) * samplesPerMs;
                    pcm.insert(pcm.begin(), static_cast<size_t>(silence) * kOutputChannels, 0);
                } else if (ms < atMs - kSlackMs && (written == 0 || ms >= atMs - kMaxSilenceMs)) {
                    // Before a seek's target (from the key frame on), or an overlap.
                    skip = std::min(pcm.size(),
                                    static_cast<size_t>((atMs - ms) * samplesPerMs) * kOutputChannels);
                }
                const size_t count = pcm.size() - skip;
                if (count == 0)
                    continue;
                std::unique_lock lock(mutex_);
                // Hand over no more than a little ahead of what is heard.
                for (;;) {
                    if (stopping_ || generation != generation_)
                        return;
                    const int ahead = clock_.followsSound()
                                          ? sound_.queuedMs()
                                          : static_cast<int>(baseMs + written / samplesPerMs) - clock_.now();
                    if (ahead < kSoundAheadMs)
                        break;
                    // Until about when enough will have been played.
                    audioCv_.wait_for(
                        lock, std::chrono::milliseconds(std::clamp(ahead - kSoundAheadMs + 5, 5, 100)));
                }
                if (sound_.isOpen())
                    sound_.write(pcm.data() + skip, count);
                written += static_cast<int64_t>(count / kOutputChannels);
                if (videoStream_ < 0)
                    seekingNow_ = false;
            }
        };
        const int sent = decoder->send(drain ? nullptr : packet.get());
        receiveAll();
        if (sent == AVERROR(EAGAIN) && !drain) {
            decoder->send(packet.get());
            receiveAll();
        }
        if (drain) {
            std::lock_guard lock(mutex_);
            if (generation == generation_)
                markEnded(false);
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
        const SubtitleTrack::Snapshot track = shownSubtitles();
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

void MediaSession::dropFrames() {
    for (Frame& f : frames_)
        recycle(std::move(f));
    frames_.clear();
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
    if (!http_ || duration <= 0 || seekPending_ || seekingNow_ || !clock_.started())
        return;
    const int64_t length = http_->length();
    if (length <= 0)
        return;
    const uint64_t bytesPerSecond = static_cast<uint64_t>(length) * 1000 / static_cast<uint64_t>(duration);
    const uint64_t lead = std::max<uint64_t>(kPaceMinLeadBytes, bytesPerSecond * kPaceLeadSeconds);
    const uint64_t shown = static_cast<uint64_t>(length) * static_cast<uint64_t>(std::max(clock_.now(), 0)) /
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
    const bool hasVideo = videoStream_ >= 0;
    long long dryFrom = 0; // when the sound ran dry while playing
    for (;;) {
        if (stopping_)
            return;
        paceNetwork();
        const bool pending = seekPending_ || seekingNow_;
        const bool ended = videoEnded_ && audioEnded_ && !pending;
        // Sound that has run out before the picture, or run dry while playing
        // (damaged, or starved), hands the clock over.
        if (hasVideo && !pending && clock_.followsSound() && clock_.running() && sound_.queuedMs() == 0) {
            if (audioEnded_ || (dryFrom > 0 && monotonicMicros() - dryFrom > kSoundDryMs * 1000LL))
                clock_.leaveSound();
            else if (dryFrom == 0)
                dryFrom = monotonicMicros();
        } else {
            dryFrom = 0;
        }
        if (repaint_) {
            repaint_ = false;
            if (lastFrame_ && (paused_ || frames_.empty())) {
                auto frame = lastFrame_;
                presentUnlocked(*frame);
                continue;
            }
        }
        const bool soundLeft = clock_.followsSound() && sound_.queuedMs() > 0;
        if (frames_.empty() && !hasVideo) {
            // Sound only: the clock runs while not paused; the end comes when the
            // device has played everything.
            if (!paused_ && !pending)
                clock_.run(true);
            if (ended && !soundLeft) {
                state_ = APLAYER_STATE_IDLE; // under the lock: a seek from now on is refused, not lost
                lock.unlock();
                finish();
                return;
            }
            presenterCv_.wait_for(lock, std::chrono::milliseconds(20));
            continue;
        }
        if (frames_.empty()) {
            if (ended && !soundLeft) {
                state_ = APLAYER_STATE_IDLE; // under the lock: a seek from now on is refused, not lost
                lock.unlock();
                finish(); // end of media: idle again, the logo comes back
                return;
            }
            // Out of pictures while playing: the network is behind.
            if (!paused_ && !videoEnded_ && http_ && http_->waiting() && clock_.running()) {
                clock_.run(false);
                state_ = APLAYER_STATE_BUFFERING;
            }
            presenterCv_.wait_for(lock, std::chrono::milliseconds(20));
            continue;
        }
        if (paused_) {
            if (showNextWhilePaused_) {
                // A seek while paused shows the picture at the new position.
                showNextWhilePaused_ = false;
                auto frame = std::make_shared<Frame>(std::move(frames_.front()));
                frames_.pop_front();
                replaceLastFrame(frame);
                videoCv_.notify_all();
                presentUnlocked(*frame);
                continue;
            }
            presenterCv_.wait(lock);
            continue;
        }
        if (state_ == APLAYER_STATE_BUFFERING) {
            state_ = APLAYER_STATE_PLAYING;
            bufferPercent_ = 100;
        }
        clock_.run(true);
        Frame& next = frames_.front();
        const int now = clock_.now();
        const int due = static_cast<int>(next.ms);
        if (due > now) {
            presenterCv_.wait_for(lock, std::chrono::milliseconds(std::clamp(due - now, 1, 50)));
            continue;
        }
        if (now - due > frameIntervalMs_ && frames_.size() > 1) {
            recycle(std::move(frames_.front()));
            frames_.pop_front(); // late by more than a frame: drop it, do not queue up
            ++dropped_;
            videoCv_.notify_all();
            continue;
        }
        auto frame = std::make_shared<Frame>(std::move(next));
        frames_.pop_front();
        replaceLastFrame(frame);
        videoCv_.notify_all();
        presentUnlocked(*frame);
    }
}

} // namespace engine
