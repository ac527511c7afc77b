// One opened medium: demux and decode on a reader thread (Media Foundation's
// source reader, video as NV12, audio as PCM), presentation on a presenter
// thread against the playback clock. Created by an open, ended by close.
#pragma once

#include "AudioOutput.h"
#include "ConfigStore.h"
#include "EngineWindow.h"
#include "FrameConverter.h"
#include "HttpSource.h"
#include "SubtitleRenderer.h"
#include "SubtitleTrack.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct IMFSourceReader;

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

  private:
    struct Frame {
        int64_t ms = 0;
        Nv12Frame nv12;
    };

    void readerMain(std::string url);
    void presenterMain();
    bool openReader(const std::string& url, IMFSourceReader** reader);
    void readLoop(IMFSourceReader* reader);
    void present(const Frame& frame);                    // presenter thread
    void recycle(Frame&& frame);                         // caller holds mutex_
    void replaceLastFrame(std::shared_ptr<Frame> frame); // caller holds mutex_
    void finish();      // end of media or failure: idle with the logo
    void paceNetwork(); // caller holds mutex_
    PictureSettings pictureSettings() const;
    int clockNow() const;    // caller holds mutex_
    void clockSet(int ms);   // caller holds mutex_
    void clockRun(bool run); // caller holds mutex_

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
    std::atomic<int64_t> fileBytes_{0};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool paused_ = false;
    bool readerEnded_ = false;
    bool cookieSet_ = false;
    bool repaint_ = false;
    bool showNextWhilePaused_ = false;
    bool hasVideo_ = false;
    HRESULT openError_ = S_OK;
    std::string containerCodes_;
    int seekTarget_ = 0;
    int frameIntervalMs_ = 40;
    std::deque<Frame> frames_;
    std::shared_ptr<Frame> lastFrame_;
    std::vector<std::vector<uint8_t>> spareBuffers_; // NV12 buffers of presented frames
    Picture picture_; // presenter thread: swapped with the window's shown picture
    std::shared_ptr<HttpSource> http_;
    uint64_t pacedTo_ = 0;

    // Playback clock: the system clock, or the sound card's when sound plays.
    bool clockStarted_ = false;
    bool clockRunning_ = false;
    int clockBaseMs_ = 0;
    int64_t clockStartUs_ = 0;
    AudioOutput audio_;
    bool audioClock_ = false;

    FrameConverter converter_;
    std::thread reader_, presenter_;
};

} // namespace engine
