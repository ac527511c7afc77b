// One opened movie: created by an open, ended by close. Its stages each have
// a thread and files of their own:
//   reader     media/ByteSource + media/Demuxer: bytes to packets, seeks
//   video      media/VideoDecoder: packets to NV12 pictures, in a short queue
//   audio      media/AudioDecoder + media/SoundOutput: packets to the device
//   presenter  the pictures shown against media/PlaybackClock
// This class owns the queues between them and the commands from the caller.
#pragma once

#include "ConfigStore.h"
#include "EngineWindow.h"
#include "FrameConverter.h"
#include "HttpSource.h"
#include "SubtitleRenderer.h"
#include "SubtitleTrack.h"
#include "media/Sources.h"
#include "media/Demuxer.h"
#include "media/TextTrackDecoder.h"
#include "media/PlaybackClock.h"
#include "media/SoundOutput.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AVPacket;

namespace engine {

class MediaSession {
  public:
    MediaSession(EngineWindow& window, ConfigStore& config, std::atomic<int>& volume,
                 SubtitleTrack& subtitles);
    ~MediaSession(); // stops and joins every thread
    MediaSession(const MediaSession&) = delete;
    MediaSession& operator=(const MediaSession&) = delete;

    void start(const std::string& url);
    void stop();

    int state() const { return state_.load(); }
    int duration() const { return durationMs_.load(); }
    int position() const;
    bool seeking() const { return seekPending_.load() || seekingNow_.load(); }
    int videoWidth() const { return videoWidth_.load(); }
    int videoHeight() const { return videoHeight_.load(); }
    int bufferProgress() const { return bufferPercent_.load(); }
    uint64_t totalBytes() const;
    uint64_t availableBytes() const;
    uint64_t framesPresented() const { return presented_.load(); }
    uint64_t framesDropped() const { return dropped_.load(); }

    bool play();
    bool pause();
    bool seek(int ms);
    void cookieArrived();  // item 1105 has been set since the open
    void pictureChanged(); // picture items changed: repaint a paused picture
    void volumeChanged();  // the volume or the mute item changed

    // The movie's own sound tracks and text subtitle tracks: a line per
    // track, "number<TAB>language<TAB>codec<TAB>title", numbers from 0.
    std::string trackList(bool audio) const;
    // The track playing (sound) or shown (subtitles), -1 for none.
    int chosenTrack(bool audio) const;
    // A new sound track plays on from the current position; a subtitle track
    // chosen here is shown instead of a subtitle file (-1: none of the
    // movie's own). False for a number the movie does not have.
    bool chooseTrack(bool audio, int number);

  private:
    struct Frame {
        int64_t ms = 0;
        Nv12Frame nv12;
    };
    struct PacketQueue {
        std::deque<AVPacket*> packets;
        std::deque<int64_t> packetMs; // each packet's duration, beside it
        size_t bytes = 0;
        int64_t durationMs = 0;
        void push(AVPacket* packet, int64_t ms);
        AVPacket* pop(); // null when empty
        void clear();
        bool enough() const;
    };

    // What a decoder thread does next, decided under the lock: stop, flush
    // for a new generation (a seek), decode a packet (`packet` takes it), or
    // drain the decoder at the end of the packets.
    enum class Step { Stop, NewGeneration, Packet, Drain };
    Step nextStep(PacketQueue& queue, std::condition_variable& wake, int& generation, bool& drained,
                  AVPacket*& packet, std::unique_lock<std::mutex>& lock);

    void readerMain(std::string url);
    bool openSource(const std::string& url);
    bool openMedia();
    void demuxLoop();
    void videoMain();
    void audioMain();
    void presenterMain();
    void present(const Frame& frame);                    // presenter thread
    void recycle(Frame&& frame);                         // caller holds mutex_
    void dropFrames();                                   // caller holds mutex_
    void replaceLastFrame(std::shared_ptr<Frame> frame); // caller holds mutex_
    void finish();                                       // end of media or failure: idle with the logo
    void paceNetwork();                                  // caller holds mutex_
    bool queuesFull() const;                             // caller holds mutex_
    void markEnded(bool video);                          // caller holds mutex_
    int64_t packetMs(const AVPacket& packet) const;
    void takeTextPacket(AVPacket& packet); // reader thread
    void requestSeek(int ms);              // caller holds mutex_
    SubtitleTrack::Snapshot shownSubtitles() const;
    int soundVolume() const;
    PictureSettings pictureSettings() const;

    EngineWindow& window_;
    ConfigStore& config_;
    std::atomic<int>& volume_;
    SubtitleTrack& subtitles_;
    SubtitleRenderer subtitleRenderer_; // presenter thread

    std::atomic<int> state_{0};
    std::atomic<int> durationMs_{0};
    std::atomic<int> videoWidth_{0}, videoHeight_{0};
    std::atomic<int> bufferPercent_{100};
    std::atomic<uint64_t> presented_{0}, dropped_{0};
    std::atomic<bool> seekPending_{false}, seekingNow_{false};

    mutable std::mutex mutex_;
    // One for each stage, so that a change wakes only the stage it concerns
    // (under Wine every wake-up is a round trip to the server).
    std::condition_variable demuxCv_, videoCv_, audioCv_, presenterCv_;
    void wakeAll(); // a seek, a stop: every stage looks again
    bool stopping_ = false;
    bool paused_ = false;
    bool cookieSet_ = false;
    bool repaint_ = false;
    bool showNextWhilePaused_ = false;
    int seekTarget_ = 0;
    int frameIntervalMs_ = 40;

    // What the reader opened; set once on the reader thread before the other
    // stages start, read by them and (under mutex_) by stop().
    std::shared_ptr<ByteSource> source_;
    std::shared_ptr<HttpSource> http_;
    std::unique_ptr<Demuxer> demuxer_;
    int videoStream_ = -1, audioStream_ = -1;
    int64_t startMs_ = 0; // the container's first time stamp: position 0

    // Tracks. The sound track may change (under mutex_, applied by the reader
    // with a seek to where playback is); text tracks are all read as they
    // come, so that switching between them is immediate.
    std::vector<TrackInfo> audioTracks_, textTracks_;
    int pendingAudioStream_ = -1;
    int textTrack_ = -1;      // number among textTracks_, -1 for none
    bool textChosen_ = false; // chosen by the caller: shown before a subtitle file
    struct TextCues {
        std::vector<Cue> cues;
        std::set<std::pair<int, std::wstring>> seen; // a seek brings cues again
    };
    std::map<int, TextCues> textCues_; // by stream index
    std::shared_ptr<const CueIndex> textShown_;
    uint64_t textGeneration_ = 0;
    std::map<int, std::unique_ptr<TextTrackDecoder>> textDecoders_; // reader thread

    // Each seek starts a generation; the decoders flush when it changes and
    // drop what comes before its target.
    int generation_ = 0;
    int generationTargetMs_ = 0;
    PacketQueue videoPackets_, audioPackets_;
    bool demuxEnded_ = false;
    bool videoEnded_ = true, audioEnded_ = true;
    std::deque<Frame> frames_;
    std::shared_ptr<Frame> lastFrame_;
    std::vector<std::vector<uint8_t>> spareBuffers_; // NV12 buffers of presented frames
    Picture picture_; // presenter thread: swapped with the window's shown picture
    uint64_t pacedTo_ = 0;

    SoundOutput sound_;
    PlaybackClock clock_{sound_};

    FrameConverter converter_;
    std::thread reader_, video_, audio_, presenter_;
};

} // namespace engine
