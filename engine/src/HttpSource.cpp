#include "HttpSource.h"

#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <deque>

namespace engine {
namespace {

constexpr size_t kChunk = 256 * 1024;
constexpr uint64_t kJumpAhead = 1u << 20; // reads this far past the window restart the download
constexpr size_t kKeepBehind = 4u << 20;  // bytes kept behind the reader
constexpr DWORD kStallMs = 200;           // a wait this long turns into buffering
constexpr DWORD kReportEveryMs = 250;

bool startsWithNoCase(const std::string& text, const char* prefix) {
    const size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&thisModule),
                       &module);
    return module; // one more reference, released by the download thread as it ends
}

std::string queryText(HINTERNET request, DWORD what) {
    char buffer[512];
    DWORD size = sizeof buffer;
    DWORD index = 0;
    if (!HttpQueryInfoA(request, what, buffer, &size, &index))
        return {};
    return std::string(buffer, size);
}

} // namespace

bool isNetworkUrl(const std::string& url) {
    return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://") ||
           startsWithNoCase(url, "ftp://");
}

struct HttpSource::State {
    std::string url;
    HttpSourceOptions options;

    std::mutex mutex;
    std::condition_variable changed;
    HINTERNET internet = nullptr; // closed once, by whoever ends first
    int64_t length = -1;
    int status = 0;
    std::string contentType;
    // The window: bytes [windowStart, windowStart + windowBytes) in chunks as
    // they came from the network (no copying into one block, no moving).
    struct Chunk {
        std::unique_ptr<uint8_t[]> data; // not zero-filled: the network writes it
        size_t size = 0;
    };
    std::deque<Chunk> window;
    uint64_t windowStart = 0;
    uint64_t windowBytes = 0;
    uint64_t readPosition = 0;
    uint64_t restartAt = UINT64_MAX;
    bool ended = false;
    bool failed = false;
    bool aborted = false;
    bool waiting = false;
    bool downloadIdle = false; // the download thread waits for the reader

    HINTERNET request = nullptr; // owned by the download thread
    HINTERNET connection = nullptr;
    bool headDone = false; // the first request has been answered (or failed)
    bool headOk = false;
    uint64_t skip = 0; // bytes to drop: a server that ignored the range

    uint64_t windowEnd() const { return windowStart + windowBytes; }

    void clearWindow(uint64_t at) {
        window.clear();
        windowStart = at;
        windowBytes = 0;
    }

    // Copies bytes of the window from `position` (inside it) into `out`.
    size_t copyOut(uint64_t position, uint8_t* out, size_t size) const {
        uint64_t chunkStart = windowStart;
        size_t copied = 0;
        for (const auto& chunk : window) {
            const uint64_t chunkEnd = chunkStart + chunk.size;
            if (position < chunkEnd) {
                const size_t offset = static_cast<size_t>(position - chunkStart);
                const size_t n = std::min(size - copied, chunk.size - offset);
                std::memcpy(out + copied, chunk.data.get() + offset, n);
                copied += n;
                position += n;
                if (copied == size)
                    break;
            }
            chunkStart = chunkEnd;
        }
        return copied;
    }

    // Opens a request for the resource from `position`; on the caller's thread.
    bool startRequest(uint64_t position) {
        HINTERNET root = nullptr;
        {
            std::lock_guard lock(mutex);
            if (aborted || !internet)
                return false;
            root = internet;
        }
        std::string headers;
        const bool ftp = startsWithNoCase(url, "ftp://");
        if (!ftp && position > 0)
            headers += "Range: bytes=" + std::to_string(position) + "-\r\n";
        if (!options.cookie.empty())
            headers += "Cookie: " + options.cookie + "\r\n";
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                            INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
        HINTERNET opened = nullptr;
        HINTERNET connected = nullptr;
        if (ftp) {
            opened = InternetOpenUrlA(root, url.c_str(), nullptr, 0, flags, 0);
        } else {
            // Connection and request by hand, so that the request carries its
            // own time-outs before anything is sent.
            char host[256] = {}, path[4096] = {};
            URL_COMPONENTSA parts{};
            parts.dwStructSize = sizeof parts;
            parts.lpszHostName = host;
            parts.dwHostNameLength = sizeof host;
            parts.lpszUrlPath = path;
            parts.dwUrlPathLength = sizeof path;
            char extra[4096] = {};
            parts.lpszExtraInfo = extra;
            parts.dwExtraInfoLength = sizeof extra;
            if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts))
                return false;
            connected =
                InternetConnectA(root, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
            if (!connected)
                return false;
            const std::string object = std::string(path) + extra;
            opened = HttpOpenRequestA(
                connected, "GET", object.empty() ? "/" : object.c_str(), nullptr, nullptr, nullptr,
                flags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0), 0);
            if (opened) {
                setTimeouts(opened);
                if (!HttpSendRequestA(opened, headers.empty() ? nullptr : headers.c_str(),
                                      static_cast<DWORD>(headers.size()), nullptr, 0)) {
                    InternetCloseHandle(opened);
                    opened = nullptr;
                }
            }
            if (!opened) {
                InternetCloseHandle(connected);
                return false;
            }
        }
        if (!opened)
            return false;
        int code = 200;
        int64_t total = -1;
        uint64_t served = 0; // where the body starts
        std::string type;
        if (!ftp) {
            DWORD value = 0, size = sizeof value, index = 0;
            if (HttpQueryInfoA(opened, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size,
                               &index))
                code = static_cast<int>(value);
            type = queryText(opened, HTTP_QUERY_CONTENT_TYPE);
            const std::string range = queryText(opened, HTTP_QUERY_CONTENT_RANGE);
            const size_t slash = range.rfind('/');
            if (code == 206 && slash != std::string::npos) {
                total = std::strtoll(range.c_str() + slash + 1, nullptr, 10);
                const size_t bytes = range.find("bytes ");
                served =
                    bytes == std::string::npos ? 0 : std::strtoull(range.c_str() + bytes + 6, nullptr, 10);
            } else {
                const std::string lengthText = queryText(opened, HTTP_QUERY_CONTENT_LENGTH);
                if (!lengthText.empty())
                    total = std::strtoll(lengthText.c_str(), nullptr, 10);
            }
        } else {
            DWORD high = 0;
            DWORD low = FtpGetFileSize(opened, &high);
            if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR)
                total = static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
        }
        std::lock_guard lock(mutex);
        status = code;
        if (code < 200 || code >= 300 || aborted) {
            InternetCloseHandle(opened);
            if (connected)
                InternetCloseHandle(connected);
            return false;
        }
        if (length < 0 && total >= 0)
            length = code == 206 ? total : static_cast<int64_t>(served) + total;
        if (contentType.empty())
            contentType = type;
        request = opened;
        connection = connected;
        skip = position > served ? position - served : 0;
        return true;
    }

    void setTimeouts(HINTERNET handle) const {
        DWORD connect = options.connectTimeoutMs, receive = options.receiveTimeoutMs;
        InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
        InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
        InternetSetOptionA(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
    }

    void closeRequest() {
        if (request) {
            InternetCloseHandle(request);
            request = nullptr;
        }
        if (connection) {
            InternetCloseHandle(connection);
            connection = nullptr;
        }
    }

    void closeInternet() {
        // Closing the session handle also ends a request blocked in a read.
        HINTERNET handle = nullptr;
        {
            std::lock_guard lock(mutex);
            handle = internet;
            internet = nullptr;
        }
        if (handle)
            InternetCloseHandle(handle);
    }

    void downloadLoop() {
        for (;;) {
            uint64_t from = 0;
            {
                std::unique_lock lock(mutex);
                for (;;) {
                    if (aborted)
                        return;
                    if (restartAt != UINT64_MAX) {
                        from = restartAt;
                        restartAt = UINT64_MAX;
                        lock.unlock();
                        closeRequest();
                        lock.lock();
                        if (!request) {
                            lock.unlock();
                            const bool ok = startRequest(from);
                            lock.lock();
                            if (!ok && !aborted && restartAt == UINT64_MAX) {
                                failed = true;
                                changed.notify_all();
                            }
                        }
                        continue;
                    }
                    const bool full = windowEnd() >= readPosition + options.readAheadBytes;
                    if (request && !ended && !failed && !full)
                        break;
                    downloadIdle = true;
                    changed.wait(lock);
                    downloadIdle = false;
                }
            }
            Chunk chunk{std::unique_ptr<uint8_t[]>(new uint8_t[kChunk]), 0};
            DWORD got = 0;
            const BOOL ok = InternetReadFile(request, chunk.data.get(), static_cast<DWORD>(kChunk), &got);
            std::lock_guard lock(mutex);
            if (aborted)
                return;
            if (restartAt != UINT64_MAX)
                continue; // the reader moved away: this chunk is of no use
            if (!ok) {
                failed = true;
            } else if (got == 0) {
                ended = true;
                if (length >= 0 && static_cast<int64_t>(windowEnd()) < length)
                    failed = true; // the connection ended early
            } else {
                size_t offset = 0;
                if (skip > 0) {
                    offset = static_cast<size_t>(std::min<uint64_t>(skip, got));
                    skip -= offset;
                }
                if (offset > 0)
                    std::memmove(chunk.data.get(), chunk.data.get() + offset, got - offset);
                chunk.size = got - offset;
                if (chunk.size > 0) {
                    windowBytes += chunk.size;
                    window.push_back(std::move(chunk));
                }
                // Drop whole chunks far behind the reader.
                while (!window.empty() && windowStart + window.front().size + kKeepBehind < readPosition) {
                    windowStart += window.front().size;
                    windowBytes -= window.front().size;
                    window.pop_front();
                }
            }
            if (waiting || failed || ended)
                changed.notify_all();
        }
    }

    static DWORD WINAPI threadProc(void* param) {
        auto* self = static_cast<std::shared_ptr<State>*>(param);
        HMODULE module = thisModule();
        {
            std::shared_ptr<State> state = std::move(*self);
            delete self;
            const bool ok = state->startRequest(0);
            {
                std::lock_guard lock(state->mutex);
                state->headDone = true;
                state->headOk = ok;
                state->changed.notify_all();
            }
            if (ok)
                state->downloadLoop();
            state->closeRequest();
        }
        FreeLibraryAndExitThread(module, 0);
        return 0;
    }
};

HttpSource::HttpSource(std::string url, HttpSourceOptions options) : state_(std::make_shared<State>()) {
    state_->url = std::move(url);
    state_->options = std::move(options);
}

HttpSource::~HttpSource() {
    abort();
}

bool HttpSource::open() {
    State& s = *state_;
    HINTERNET internet = InternetOpenA("Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)",
                                       INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet)
        return false;
    DWORD connect = s.options.connectTimeoutMs, receive = s.options.receiveTimeoutMs;
    InternetSetOptionA(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionA(internet, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionA(internet, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
    {
        std::lock_guard lock(s.mutex);
        if (s.aborted) {
            InternetCloseHandle(internet);
            return false;
        }
        s.internet = internet;
    }
    // The first request runs on the download thread: a server that never
    // answers then holds only that thread, and abort() ends this wait.
    auto* param = new std::shared_ptr<State>(state_);
    HANDLE thread = CreateThread(nullptr, 0, &State::threadProc, param, 0, nullptr);
    if (!thread) {
        delete param;
        return false;
    }
    CloseHandle(thread);
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.headDone || s.aborted; });
    return s.headOk && !s.aborted;
}

long HttpSource::read(uint64_t position, uint8_t* buffer, size_t size) {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    s.readPosition = position;
    if (position < s.windowStart || position > s.windowEnd() + kJumpAhead) {
        // Far from what is downloaded: start again there.
        s.clearWindow(position);
        s.ended = s.failed = false;
        s.restartAt = position;
    }
    if (s.restartAt != UINT64_MAX || s.downloadIdle)
        s.changed.notify_all(); // the download waits for room or for a restart
    const ULONGLONG started = GetTickCount64();
    ULONGLONG lastReport = 0;
    bool stalled = false;
    for (;;) {
        if (s.aborted)
            return -1;
        const uint64_t end = s.windowEnd();
        const uint64_t have = position < end ? end - position : 0;
        uint64_t remaining = UINT64_MAX;
        if (s.length >= 0)
            remaining = position < static_cast<uint64_t>(s.length) ? s.length - position : 0;
        if (remaining == 0)
            break;
        // After a stall, wait for the buffer target (or the end) before going on.
        const uint64_t want = stalled ? std::min<uint64_t>(s.options.bufferTarget, remaining)
                                      : std::min<uint64_t>(size, remaining);
        if (have >= want || (have > 0 && (s.ended || s.failed)))
            break;
        if (s.ended || s.failed)
            break;
        s.waiting = true;
        s.changed.wait_for(lock, std::chrono::milliseconds(50));
        const ULONGLONG now = GetTickCount64();
        if (!stalled && now - started >= kStallMs)
            stalled = true;
        if (stalled && s.options.onBuffering && now - lastReport >= kReportEveryMs) {
            lastReport = now;
            const uint64_t target =
                std::max<uint64_t>(1, std::min<uint64_t>(s.options.bufferTarget, remaining));
            const int percent = static_cast<int>(std::min<uint64_t>(100, have * 100 / target));
            auto report = s.options.onBuffering;
            lock.unlock();
            report(percent);
            lock.lock();
        }
    }
    s.waiting = false;
    const uint64_t end = s.windowEnd();
    if (position >= s.windowStart && position < end) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, end - position));
        return static_cast<long>(s.copyOut(position, buffer, n));
    }
    return s.failed ? -1 : 0;
}

void HttpSource::abort() {
    {
        std::lock_guard lock(state_->mutex);
        state_->aborted = true;
        state_->changed.notify_all();
    }
    state_->closeInternet();
}

int64_t HttpSource::length() const {
    std::lock_guard lock(state_->mutex);
    return state_->length;
}

uint64_t HttpSource::available() const {
    std::lock_guard lock(state_->mutex);
    return state_->windowEnd();
}

bool HttpSource::waiting() const {
    std::lock_guard lock(state_->mutex);
    return state_->waiting;
}

int HttpSource::status() const {
    std::lock_guard lock(state_->mutex);
    return state_->status;
}

std::string HttpSource::contentType() const {
    std::lock_guard lock(state_->mutex);
    return state_->contentType;
}

} // namespace engine
