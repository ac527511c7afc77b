// A small HTTP/1.1 server on 127.0.0.1 for tests: each test starts its own,
// answers through a handler, and reads back what arrived.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct HttpRequestSeen {
    std::string method;
    std::string target;      // path and query
    std::string headerBlock; // the header lines as received, without the request line
    std::string body;
    std::string header(const std::string& name) const; // case-insensitive; empty when absent
};

struct HttpResponse {
    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    int stallBeforeHeadersMs = 0; // accept, then wait this long before answering
    int stallAfterBytes = -1;     // send this many body bytes, then stop sending (keep the connection)
    int64_t dropAfterBytes = -1;  // send this many body bytes, then close the connection
    int bytesPerSecond = 0;       // throttle the body (0: as fast as possible)
    // A body read from a file instead of `body` (for media too large to hold):
    // `fileLength` bytes of `filePath` from `fileOffset`.
    std::wstring filePath{};
    uint64_t fileOffset = 0;
    uint64_t fileLength = 0;
};

class LoopbackHttpServer {
  public:
    using Handler = std::function<HttpResponse(const HttpRequestSeen&)>;
    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return port_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<HttpRequestSeen> requests() const;
    uint64_t bodyBytesSent() const { return bodyBytesSent_.load(); } // over every answer so far
    void stop();

    // A file's bytes, answering Range requests with 206 and Content-Range.
    static HttpResponse fileResponse(const HttpRequestSeen& request, const std::string& bytes,
                                     const std::string& contentType = "video/mp4");
    // The same for a file on disk, read as it is sent.
    static HttpResponse diskFileResponse(const HttpRequestSeen& request, const std::wstring& path,
                                         const std::string& contentType = "video/mp4");

  private:
    void acceptLoop();
    void serve(SOCKET client);
    bool sendBody(SOCKET client, const HttpResponse& response, uint64_t limit);

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<uint64_t> bodyBytesSent_{0};
    std::thread acceptThread_;
    mutable std::mutex mutex_;
    std::vector<HttpRequestSeen> requests_;
    std::vector<SOCKET> clients_;
    std::vector<std::thread> workers_;
};

std::string readAll(const std::wstring& path);

} // namespace testing_support
