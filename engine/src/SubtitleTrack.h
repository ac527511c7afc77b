// The subtitles of the opened movie: loaded from a file or fetched over HTTP
// on a thread of their own, then read by the presenter as a snapshot.
#pragma once

#include "Subtitles.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace engine {

class HttpSource;

class SubtitleTrack {
  public:
    // `changed` runs on the loading thread when new cues are in place.
    explicit SubtitleTrack(std::function<void()> changed) : changed_(std::move(changed)) {}
    ~SubtitleTrack(); // aborts a fetch under way and waits for its thread
    SubtitleTrack(const SubtitleTrack&) = delete;
    SubtitleTrack& operator=(const SubtitleTrack&) = delete;

    // A local path (GBK) or an http(s) address, fetched with `cookie`; empty
    // turns subtitles off. Replaces whatever was loaded or loading.
    void setSource(const std::string& source, const std::string& cookie);
    // The subtitle file beside a local movie (GBK path), looked for on the
    // loading thread (the folder may be slow to list); the source is empty
    // until one is found. Replaces whatever was loaded or loading.
    void pickUpBeside(const std::string& moviePath);
    // The source set, or the file found beside the movie.
    std::string source() const;

    struct Snapshot {
        std::shared_ptr<const CueIndex> cues;         // null while none are loaded
        uint64_t generation = 0;                      // changes with every load
    };
    Snapshot current() const;

    // The largest file read: more is not a subtitle file.
    static constexpr size_t kMaxBytes = 16u << 20;

  private:
    uint64_t stopLoading(const std::string& source); // the new request's number
    void startLoading(uint64_t request, std::string source, std::string cookie, bool beside);
    void finishLoad(uint64_t request, std::shared_ptr<const CueIndex> cues);

    std::function<void()> changed_;
    mutable std::mutex mutex_;
    std::shared_ptr<const CueIndex> cues_;
    uint64_t generation_ = 0;
    uint64_t request_ = 0;
    std::string source_;
    std::shared_ptr<HttpSource> fetch_; // the fetch under way, for aborting it
    std::thread loader_;
};

} // namespace engine
