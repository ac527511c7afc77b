// One movie from disk over HTTP, as a swarm's stream is served: ranges, the
// stream's cookie required on every request (403 without), and a line that
// may be throttled per connection and answer late.
#pragma once

#include "LoopbackHttpServer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct LineShape {
    int bytesPerSecond = 0; // per connection; 0: as fast as loopback goes
    int latencyMs = 0;      // before each answer
};

class MediaServer {
  public:
    static constexpr const char* kCookie = "FTN5K=stream";
    // May change an answer (to drop the connection, say).
    using Hook = std::function<void(const HttpRequestSeen&, HttpResponse&)>;

    MediaServer(std::wstring path, LineShape line, Hook hook = {});

    std::string url() const { return server_.base() + "/movie"; }
    uint64_t sent() const { return server_.bodyBytesSent(); }
    // Where each request's range starts, in order.
    std::vector<uint64_t> rangeStarts() const;

  private:
    HttpResponse answer(const HttpRequestSeen& request) const;

    std::wstring path_;
    LineShape line_;
    Hook hook_;
    LoopbackHttpServer server_;
};

} // namespace testing_support
