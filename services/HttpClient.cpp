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

    const std::string host = urlHost(url);
    connection.reset(InternetConnectA(internet.get(), host.c_str(), static_cast<INTERNET_PORT>(urlPort(url)), "",
                                      "", INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        return {};
    const std::string path = urlPath(url);
    request.reset(HttpOpenRequestA(connection.get(), kVerbs[method], path.c_str(), "HTTP/1.1", nullptr, nullptr,
                                   requestFlags(url, options.cookies.has_value(), options.noRedirect), 0));
    if (!request)
        return {};
    // Also on the request itself: some WinINet versions do not pass the
    // session's time-outs down to the requests.
    setTimeouts(request.get(), options);

    options.headers = completeHeaderBlock(options.headers, url, options.cookies.value_or(""));
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
