#include "HttpClient.h"

#include "TextRules.h"

#include <windows.h>

#include <wininet.h>

#include <algorithm>
#include <memory>

namespace corvina {
namespace {

struct InternetHandleCloser {
    void operator()(void* handle) const {
        if (handle)
            InternetCloseHandle(static_cast<HINTERNET>(handle));
    }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

void setTimeouts(HINTERNET handle, const HttpOptions& options) {
    DWORD connect = options.connectTimeoutMs, send = options.sendTimeoutMs,
          receive = options.receiveTimeoutMs;
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionA(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
    return lowerAscii(text.substr(0, std::char_traits<char>::length(prefix))) == prefix;
}

// As many redirects as browsers follow for one request.
constexpr int kMaxRedirects = 10;

bool isRedirect(int status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }



} // namespace

std::string bytesAsText(const std::vector<uint8_t>& bytes) {
    std::string text(bytes.begin(), bytes.end());
    const size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

std::string agentFromHeaders(const std::string& headers) {
    if (findNoCase(headers, "User-Agent:") == std::string::npos)
        return kDefaultAgent;
    std::string agent = trimBlanks(textBetween(headers + "\r\n", "User-Agent:", "\r\n"));
    if (agent.empty()) {
        const size_t colon = headers.find(':');
        agent = trimBlanks(colon == std::string::npos ? std::string() : headers.substr(colon + 1));
    }
    return agent;
}

std::string completeHeaderBlock(std::string block, const std::string& url, const std::string& cookies) {
    if (block.empty())
        block = "Accept: */*";
    else if (findText(block, "Accept:") == std::string::npos)
        block += "\r\nAccept: */*";
    if (findText(block, "Referer:") == std::string::npos)
        block += "\r\nReferer: " + url;
    if (findText(block, "Accept-Language:") == std::string::npos)
        block += "\r\nAccept-Language: zh-cn";
    if (findText(block, "Content-Type:") == std::string::npos)
        block += "\r\nContent-Type: application/x-www-form-urlencoded";
    if (!cookies.empty())
        block +=
            findText(cookies, "Cookie:") != std::string::npos ? "\r\n" + cookies : "\r\nCookie: " + cookies;
    return block;
}

std::string normaliseSetCookie(const std::string& rawHeaders) {
    std::string out;
    size_t i = 0;
    for (size_t at; (at = findNoCase(rawHeaders, "Set-Cookie", i)) != std::string::npos; i = at + 10) {
        out += rawHeaders.substr(i, at - i);
        out += "Set-Cookie";
    }
    out += rawHeaders.substr(i);
    return out;
}

std::string collectCookies(const std::string& rawHeaders) {
    std::string received;
    for (const std::string& line : splitText(rawHeaders, "\r\n")) {
        if (findText(line, "Set-Cookie") == std::string::npos)
            continue;
        std::string value;
        if (line.find(';') != std::string::npos) {
            value = trimBlanks(textBetween(line, "Set-Cookie:", ";"));
        } else {
            std::string rest = line;
            for (size_t at; (at = findNoCase(rest, "Set-Cookie:")) != std::string::npos;)
                rest.erase(at, 11);
            value = trimBlanks(rest);
        }
        received += value + "; ";
    }
    if (received.size() >= 2)
        received.resize(received.size() - 2);
    return received;
}

std::string resolveLocation(const std::string& base, const std::string& location) {
    if (startsWithNoCase(location, "http://") || startsWithNoCase(location, "https://"))
        return location;
    const size_t schemeEnd = base.find("://");
    if (schemeEnd == std::string::npos)
        return location;
    if (location.rfind("//", 0) == 0)
        return base.substr(0, schemeEnd + 1) + location;
    const size_t pathStart = base.find('/', schemeEnd + 3);
    const std::string origin = pathStart == std::string::npos ? base : base.substr(0, pathStart);
    if (!location.empty() && location.front() == '/')
        return origin + location;
    std::string directory = pathStart == std::string::npos ? "/" : base.substr(pathStart);
    directory = directory.substr(0, directory.find_first_of("?#"));
    return origin + directory.substr(0, directory.rfind('/') + 1) + location;
}

unsigned long requestFlags(const std::string& url, bool cookiesSupplied, bool noRedirect) {
    unsigned long flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE;
    if (cookiesSupplied)
        flags |= INTERNET_FLAG_NO_COOKIES;
    if (noRedirect)
        flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
    flags |=
        startsWithNoCase(url, "https://") ? INTERNET_FLAG_SECURE : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
    return flags;
}

void HttpCancel::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    // Closing a session ends the calls blocked on it and every handle made from it.
    for (void* session : sessions_)
        InternetCloseHandle(static_cast<HINTERNET>(session));
    sessions_.clear();
}

bool HttpCancel::cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

bool HttpCancel::attach(void* session) {
    std::lock_guard lock(mutex_);
    if (cancelled_)
        return false;
    sessions_.push_back(session);
    return true;
}

bool HttpCancel::detach(void* session) {
    std::lock_guard lock(mutex_);
    const auto it = std::find(sessions_.begin(), sessions_.end(), session);
    if (it == sessions_.end())
        return false;
    sessions_.erase(it);
    return true;
}

namespace {

// While alive, the session can be closed by the request's HttpCancel; at
// the end, when it was, the handles are let go of without closing them.
class CancelRegistration {
  public:
    CancelRegistration(HttpCancel* cancel, InternetHandle& internet, InternetHandle& connection,
                       InternetHandle& request)
        : cancel_(cancel), internet_(internet), connection_(connection), request_(request) {}
    ~CancelRegistration() {
        if (attached_ && !cancel_->detach(internet_.get())) {
            (void)request_.release();
            (void)connection_.release();
            (void)internet_.release();
        }
    }
    CancelRegistration(const CancelRegistration&) = delete;
    CancelRegistration& operator=(const CancelRegistration&) = delete;
    // False when the request was cancelled before it began.
    bool attach() {
        if (!cancel_)
            return true;
        attached_ = cancel_->attach(internet_.get());
        return attached_;
    }

  private:
    HttpCancel* cancel_;
    InternetHandle& internet_;
    InternetHandle& connection_;
    InternetHandle& request_;
    bool attached_ = false;
};

} // namespace

std::vector<uint8_t> httpRequest(const std::string& url) {
    HttpOptions options;
    return httpRequest(url, options);
}

std::vector<uint8_t> httpRequest(const std::string& url, HttpOptions& options) {
    int method = options.method.value_or(0);
    if (method < 0 || method > 2)
        method = 0;
    static const char* const kVerbs[] = {"GET", "POST", "HEAD"};
    const bool secure = startsWithNoCase(url, "https://");
    const std::string agent = agentFromHeaders(options.headers);

    InternetHandle internet, connection, request;
    CancelRegistration registration(options.cancel.get(), internet, connection, request);
    if (options.proxy.empty()) {
        internet.reset(InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, "", "", 0));
    } else {
        const std::string proxy = secure ? options.proxy : "http=" + options.proxy;
        internet.reset(InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), "", 0));
    }
    if (!internet || !registration.attach())
        return {};
    setTimeouts(internet.get(), options);

    // Redirects are followed here rather than by the platform, so that their
    // number has a bound: a server that redirects to itself must not hold
    // the caller for ever.
    const std::string extraHeaders = options.headers;
    std::string current = url;
    for (int hop = 0;; ++hop) {
        request.reset();
        connection.reset();
        const std::string host = urlHost(current);
        connection.reset(InternetConnectA(internet.get(), host.c_str(), static_cast<INTERNET_PORT>(urlPort(current)),
                                          "", "", INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection)
            return {};
        const std::string path = urlPath(current);
        request.reset(HttpOpenRequestA(connection.get(), kVerbs[method], path.c_str(), "HTTP/1.1", nullptr, nullptr,
                                       requestFlags(current, options.cookies.has_value(), true), 0));
        if (!request)
            return {};
        // Also on the request itself: some WinINet versions do not pass the
        // session's time-outs down to the requests.
        setTimeouts(request.get(), options);

        options.headers = completeHeaderBlock(extraHeaders, current, options.cookies.value_or(""));
        std::string textBody;
        const void* body = nullptr;
        DWORD bodyLength = 0;
        if (method != 0) {
            if (!options.postBytes.empty()) {
                body = options.postBytes.data();
                bodyLength = static_cast<DWORD>(options.postBytes.size());
            } else {
                textBody = options.postText;
                body = textBody.data();
                bodyLength = static_cast<DWORD>(textBody.size());
            }
        }
        HttpSendRequestA(request.get(), options.headers.c_str(), static_cast<DWORD>(options.headers.size()),
                         const_cast<void*>(body), bodyLength);
        if (options.noRedirect)
            break;
        DWORD status = 0, statusSize = sizeof status;
        if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize,
                            nullptr) ||
            !isRedirect(static_cast<int>(status)))
            break;
        std::string location(4096, '\0');
        DWORD locationSize = static_cast<DWORD>(location.size());
        if (!HttpQueryInfoA(request.get(), HTTP_QUERY_LOCATION, location.data(), &locationSize, nullptr))
            break; // a redirect without a place to go: the answer is what came
        if (hop >= kMaxRedirects)
            return {}; // a loop, or a chain longer than browsers follow: failed
        location.resize(locationSize);
        current = resolveLocation(current, location);
        if (status == 303 || ((status == 301 || status == 302) && method == 1))
            method = 0; // the redirect is fetched with GET, as browsers do
    }

    // Read in large pieces: each read is a round trip through the platform's
    // HTTP layer, and small ones make large bodies crawl.
    std::vector<uint8_t> response;
    DWORD announced = 0, announcedSize = sizeof announced;
    if (HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced,
                       &announcedSize, nullptr))
        response.reserve(std::min<DWORD>(announced, 512u << 20)); // a hint only: the body is what arrives
    size_t filled = 0;
    for (;;) {
        if (response.size() < filled + 64 * 1024)
            response.resize(std::max(filled + 64 * 1024, response.capacity()));
        DWORD read = 0;
        if (!InternetReadFile(request.get(), response.data() + filled, 64 * 1024, &read) || read == 0)
            break;
        filled += read;
    }
    response.resize(filled);

    // The raw header block; asked again with the size the platform reports
    // when it does not fit, so that long header blocks arrive whole.
    std::string raw(5000, ' ');
    DWORD size = static_cast<DWORD>(raw.size());
    if (!HttpQueryInfoA(request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr)) {
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            raw.assign(size + 1, ' ');
            size = static_cast<DWORD>(raw.size());
            if (!HttpQueryInfoA(request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr))
                size = 0;
        } else {
            size = 0;
        }
    }
    raw.resize(size);
    const size_t zero = raw.find('\0');
    if (zero != std::string::npos)
        raw.resize(zero);
    if (options.cancel && options.cancel->cancelled())
        return {}; // ended early: what arrived is not the answer

    options.rawHeaders = normaliseSetCookie(raw);
    options.receivedCookies = collectCookies(options.rawHeaders);
    if (options.cookies)
        options.receivedCookies = mergeCookies(*options.cookies, options.receivedCookies);
    return response;
}

} // namespace corvina
