// Network media over WinINet, for a demuxer that reads where it likes.
//
// Downloaded bytes are held in a cache of fixed-size blocks. Up to three
// fetchers, each a thread with one bounded range request at a time, fill it:
// the one serving the reader's main position reads ahead of it by a window
// that grows with what the reader consumes (bounded by the stream's bitrate and
// a hard cap); a read elsewhere (a probe of the end or the middle, a seek)
// gets a fetcher of its own at once, so the main window is neither thrown away
// nor waited on. A dropped connection is resumed with a range request from
// where it stopped, a bounded number of times with back-off.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace engine {

struct HttpSourceOptions {
    std::string cookie; // sent as "Cookie:" when not empty
    DWORD connectTimeoutMs = 15000;
    DWORD receiveTimeoutMs = 30000;
    // Read-ahead of the main position: `windowSeconds` of the stream's bitrate
    // once it is known, never less than the minimum nor more than the maximum.
    uint64_t minWindowBytes = 8u << 20;
    uint64_t maxWindowBytes = 64u << 20;
    int windowSeconds = 30;
    uint64_t cacheBytes = 160u << 20;   // everything held, read-ahead included
    uint64_t bufferTarget = 512u << 10; // a starved read waits for this much (or the end)
    int retries = 4;                    // per break of a connection, with back-off
    // Called at most a few times a second while a read waits: fill percentage
    // of the buffer target.
    std::function<void(int)> onBuffering;
};

class HttpSource {
  public:
    HttpSource(std::string url, HttpSourceOptions options);
    // Aborts without waiting: a fetcher stuck in the network finishes on its
    // own thread, which keeps the library loaded until it has.
    ~HttpSource();
    HttpSource(const HttpSource&) = delete;
    HttpSource& operator=(const HttpSource&) = delete;

    // Connects and reads the first response's head, so that the length is
    // known before anyone asks. False on a failed connection or an error
    // status (403, 404, 500...).
    bool open();
    // Reads up to `size` bytes at `position`. Returns the count, 0 at the end,
    // -1 on a failure or after abort().
    long read(uint64_t position, uint8_t* buffer, size_t size);
    void abort();
    // The stream's average bitrate, once the media knows its duration: sizes
    // the read-ahead window.
    void setBytesPerSecond(uint64_t bytesPerSecond);
    // Keeps the demuxer from reading far ahead of playback: a read at or
    // past `limit` (and not far past it, where a probe would be) waits until
    // the limit has moved beyond it, up to a second per read. UINT64_MAX
    // lifts it (during a seek, say).
    void paceTo(uint64_t limit);

    int64_t length() const;     // -1 when the server does not say
    uint64_t available() const; // end of the bytes held without a gap from the reader's position
    bool waiting() const;

    struct State;

  private:
    std::shared_ptr<State> state_;
};

// True for the schemes HttpSource serves: http, https, ftp.
bool isNetworkUrl(const std::string& url);

} // namespace engine
