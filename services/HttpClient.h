// One blocking HTTP(S) exchange over WinINet: open, connect, send one request,
// read the whole body, collect the response headers and cookies, close.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

enum class HttpMethod { Get = 0, Post = 1, Head = 2 };

// Ends the requests that share it, from any thread: a request in progress
// fails at once (its session is closed under it) and later ones fail
// without connecting.
class HttpCancel {
  public:
    void cancel();
    bool cancelled() const;
    // A request's session; false (do not go on) when already cancelled.
    bool attach(void* session);
    // The request is done with its session; false when cancel() closed it
    // (the request then must not close it, nor what it made from it).
    bool detach(void* session);

  private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;
    std::vector<void*> sessions_;
};

struct HttpOptions {
    std::optional<int> method;          // 0 GET, 1 POST, 2 HEAD; anything else GET
    std::string postText;               // body when postBytes is empty
    std::optional<std::string> cookies; // supplied: sent, then rewritten with the merged cookies
    std::string receivedCookies;        // out: the response's Set-Cookie values
    std::string headers;                // in: extra lines joined by CR LF; out: the block sent
    std::string rawHeaders;             // out: the response's header block
    bool noRedirect = false;
    std::vector<uint8_t> postBytes; // body; wins over postText when not empty
    std::string proxy;              // name or name:port; empty for a direct connection
    // Time-outs of every request: a server that accepts and never answers
    // must not hold the caller for minutes.
    unsigned connectTimeoutMs = 15000;
    unsigned sendTimeoutMs = 30000;
    unsigned receiveTimeoutMs = 30000;
    // Shared with whoever may end the request early; none: it runs its course.
    std::shared_ptr<HttpCancel> cancel;
};

inline constexpr char kDefaultAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// The body as read; empty when the exchange could not be opened.
std::vector<uint8_t> httpRequest(const std::string& url, HttpOptions& options);
std::vector<uint8_t> httpRequest(const std::string& url);

// The pieces of the exchange that do not touch the network.
std::string agentFromHeaders(const std::string& headers);
std::string completeHeaderBlock(std::string headers, const std::string& url, const std::string& cookies);
std::string normaliseSetCookie(const std::string& rawHeaders);
std::string collectCookies(const std::string& rawHeaders);
unsigned long requestFlags(const std::string& url, bool cookiesSupplied, bool noRedirect);
// Where a redirect's Location leads from `base`: an absolute address as it
// is, "//host/..." with the base's scheme, "/path" on the base's host, and
// anything else beside the base's last path segment.
std::string resolveLocation(const std::string& base, const std::string& location);

// Bytes taken as GBK text, up to the first zero byte.
std::string bytesAsText(const std::vector<uint8_t>& bytes);

} // namespace corvina
