// Network media over WinINet: a download thread fills a bounded read-ahead
// window; reads block until their bytes are there. A read far from the window
// restarts the download there with a range request.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace engine {

struct HttpSourceOptions {
    std::string cookie; // sent as "Cookie:" when not empty
    DWORD connectTimeoutMs = 15000;
    DWORD receiveTimeoutMs = 30000;
    size_t readAheadBytes = 16u << 20; // the download pauses this far ahead of the reader
    size_t bufferTarget = 512u << 10;  // a starved read waits for this much (or the end)
    // Called at most a few times a second while a read waits: fill percentage
    // of the buffer target.
    std::function<void(int)> onBuffering;
};

class HttpSource {
  public:
    HttpSource(std::string url, HttpSourceOptions options);
    // Aborts without waiting: a download stuck in the network finishes on its
    // own thread, which keeps the library loaded until it has.
    ~HttpSource();
    HttpSource(const HttpSource&) = delete;
    HttpSource& operator=(const HttpSource&) = delete;

    // Connects and reads the response head. False on a failed connection or
    // an error status (403, 404, 500...).
    bool open();
    // Reads up to `size` bytes at `position`. Returns the count, 0 at the end,
    // -1 on a failure or after abort().
    long read(uint64_t position, uint8_t* buffer, size_t size);
    void abort();

    int64_t length() const;     // -1 when the server does not say
    uint64_t available() const; // bytes from the start of the resource to the end of the window
    bool waiting() const;
    int status() const;
    std::string contentType() const;

    struct State;

  private:
    std::shared_ptr<State> state_;
};

// True for the schemes HttpSource serves: http, https, ftp.
bool isNetworkUrl(const std::string& url);

} // namespace engine
