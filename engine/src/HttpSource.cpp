#include "HttpSource.h"

#include "BlockCache.h"
#include "SlimSync.h"

#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace engine {
namespace {

constexpr size_t kPiece = 1024 * 1024;        // one InternetReadFile at most...
constexpr uint64_t kMinPiece = 32 * 1024;     // ...and at least
constexpr double kPieceMs = 20;               // a piece takes about this long at the measured rate
constexpr size_t kMaxFetchers = 3;            // the main position and two probes
constexpr uint64_t kProbeWindow = 256 * 1024; // a new fetcher's first read-ahead
constexpr uint64_t kOpeningWindow = 2u << 20; // the first fetcher's, from the start of the file
constexpr uint64_t kMinSpan = 256 * 1024;     // the smallest range asked for
constexpr uint64_t kMaxSpan = 16u << 20;      // the largest range asked for...
constexpr double kSpanMs = 1000;              // ...and about this long at the measured rate
constexpr uint64_t kMinJump = 256 * 1024;     // a read this far past a fetcher waits for it...
constexpr uint64_t kMaxJump = 2u << 20;       // ...up to this far on a fast line
constexpr uint64_t kMaxRefill = 4u << 20;     // a paused fetcher resumes for this much room
constexpr DWORD kStallMs = 200;               // a wait this long turns into buffering
constexpr DWORD kReportEveryMs = 250;
constexpr DWORD kFirstBackoffMs = 100;     // doubled for each retry
constexpr DWORD kMaxPaceWaitMs = 1000;     // a paced read goes on after this anyway
constexpr uint64_t kPaceReach = 64u << 20; // reads further past the limit are probes

bool startsWithNoCase(const std::string& text, const char* prefix) {
    const size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

double nowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&thisModule),
                       &module);
    return module; // one more reference, released by the fetcher thread as it ends
}

std::string queryText(HINTERNET request, DWORD what) {
    char buffer[512];
    DWORD size = sizeof buffer;
    DWORD index = 0;
    if (!HttpQueryInfoA(request, what, buffer, &size, &index))
        return {};
    return std::string(buffer, size);
}

void setTimeouts(HINTERNET handle, const HttpSourceOptions& options) {
    DWORD connect = options.connectTimeoutMs, receive = options.receiveTimeoutMs;
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionA(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

// One request with its connection; closed together.
class Request {
  public:
    Request() = default;
    Request(HINTERNET request, HINTERNET connection) : request_(request), connection_(connection) {}
    ~Request() { reset(); }
    Request(Request&& other) noexcept
        : request_(std::exchange(other.request_, nullptr)),
          connection_(std::exchange(other.connection_, nullptr)) {}
    Request& operator=(Request&& other) noexcept {
        if (this != &other) {
            reset();
            request_ = std::exchange(other.request_, nullptr);
            connection_ = std::exchange(other.connection_, nullptr);
        }
        return *this;
    }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    HINTERNET get() const { return request_; }
    bool open() const { return request_ != nullptr; }
    // Closing a request whose body is not read to its end makes WinINet read
    // off what is in flight first: done on the fetcher's own thread, never
    // while anyone waits.
    void reset() {
        if (request_)
            InternetCloseHandle(std::exchange(request_, nullptr));
        if (connection_)
            InternetCloseHandle(std::exchange(connection_, nullptr));
    }

  private:
    HINTERNET request_ = nullptr;
    HINTERNET connection_ = nullptr;
};

// What a request's response said.
struct Answer {
    Request request;
    int status = 0;           // 0: no answer at all
    int64_t total = -1;       // the resource's length, when the answer says
    uint64_t from = 0;        // where the body starts
    uint64_t to = UINT64_MAX; // where it ends (exclusive), when known
};

} // namespace

bool isNetworkUrl(const std::string& url) {
    return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://") ||
           startsWithNoCase(url, "ftp://");
}

struct HttpSource::State {
    // One download run: a thread that fills the cache from `next` on while
    // `next` is short of `goal`, one range request at a time.
    struct Fetcher {
        uint64_t origin = 0; // where the run started
        uint64_t next = 0;   // the next byte it stores
        uint64_t cursor = 0; // the reader's latest position in the run
        uint64_t goal = 0;   // it fetches while next < goal
        ULONGLONG lastUse = 0;
        double bytesPerMs = 0; // measured on this run's reads
        int failures = 0;      // breaks since the last good read
        bool readerWaiting = false;
        bool retired = false; // replaced: its thread ends
        bool failed = false;  // gave up (error status, or retries used up)
    };

    std::string url;
    HttpSourceOptions options;
    bool ftp = false;

    mutable SlimMutex mutex;
    SlimCondition changed;
    HINTERNET internet = nullptr; // closed once, by abort()
    int64_t length = -1;
    bool headDone = false; // the first answer has come (or the first request failed)
    bool headOk = false;
    bool aborted = false;
    bool waiting = false;
    uint64_t bytesPerSecond = 0;
    uint64_t paceLimit = UINT64_MAX;
    double lineBytesPerMs = 0; // the latest measure of any run: where a new run starts
    uint64_t lastRead = 0;
    BlockCache cache;
    std::vector<std::shared_ptr<Fetcher>> fetchers; // the live ones, at most kMaxFetchers

    // ---- sizes (caller holds the mutex) ----

    uint64_t mainWindow() const {
        const uint64_t byRate = bytesPerSecond * static_cast<uint64_t>(std::max(options.windowSeconds, 0));
        return std::clamp(byRate, options.minWindowBytes,
                          std::max(options.minWindowBytes, options.maxWindowBytes));
    }

    // A run's read-ahead grows with what the reader has taken from it, so a
    // probe costs little and a run that is being played gets the full window.
    uint64_t window(const Fetcher& f) const {
        const uint64_t consumed = f.cursor > f.origin ? f.cursor - f.origin : 0;
        return std::clamp(consumed * 2, kProbeWindow, std::max(kProbeWindow, mainWindow()));
    }

    uint64_t jump(const Fetcher& f) const {
        return std::clamp(static_cast<uint64_t>(f.bytesPerMs * 100), kMinJump, kMaxJump);
    }

    uint64_t end() const { return length >= 0 ? static_cast<uint64_t>(length) : UINT64_MAX; }

    bool wantsMore(const Fetcher& f) const {
        if (f.failed || f.next >= end() || f.next >= f.goal)
            return false;
        if (f.readerWaiting)
            return true;
        const uint64_t refill = std::clamp(window(f) / 4, kMinSpan, kMaxRefill);
        return f.goal - f.next >= refill;
    }

    // The run a read at `position` belongs to: the nearest whose span from
    // its origin to a little past its download reaches it.
    std::shared_ptr<Fetcher> runAt(uint64_t position) const {
        std::shared_ptr<Fetcher> best;
        for (const auto& f : fetchers)
            if (!f->failed && f->origin <= position && position <= f->next + jump(*f) &&
                (!best || f->origin > best->origin))
                best = f;
        return best;
    }

    // Starts a run at `position` (or the first byte not held after it),
    // replacing the least recently used run when all are busy.
    std::shared_ptr<Fetcher> startRun(uint64_t position) {
        if (fetchers.size() >= kMaxFetchers) {
            auto oldest =
                std::min_element(fetchers.begin(), fetchers.end(),
                                 [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; });
            (*oldest)->retired = true;
            fetchers.erase(oldest);
        }
        auto f = std::make_shared<Fetcher>();
        f->origin = f->next = cache.firstMissing(position - position % BlockCache::kBlock);
        f->cursor = position;
        f->lastUse = GetTickCount64();
        f->bytesPerMs = lineBytesPerMs;
        f->goal = position + window(*f);
        if (!startThread(f))
            f->failed = true;
        fetchers.push_back(f);
        changed.notify_all();
        return f;
    }

    // The run the reader is in goes on; the others stop when their current
    // request ends, so that they do not take the line from it. A run the
    // reader comes back to sets off again from where it stopped.
    void follow(const Fetcher& current) {
        for (const auto& f : fetchers)
            if (f.get() != &current)
                f->goal = std::min(f->goal, f->next);
    }

    void noteRead(uint64_t position) {
        lastRead = position;
        std::shared_ptr<Fetcher> f = runAt(position);
        if (!f)
            return;
        follow(*f);
        f->cursor = position;
        f->lastUse = GetTickCount64();
        const uint64_t goal = position + window(*f);
        if (goal != f->goal) {
            f->goal = goal;
            if (wantsMore(*f))
                changed.notify_all();
        }
    }

    // ---- the network (no lock held) ----

    Answer ask(uint64_t from, uint64_t to) {
        Answer answer;
        HINTERNET root = nullptr;
        {
            std::lock_guard lock(mutex);
            if (aborted || !internet)
                return answer;
            root = internet;
        }
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                            INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
        if (ftp) {
            // No ranges: the body starts at 0 and the fetcher skips ahead.
            HINTERNET opened = InternetOpenUrlA(root, url.c_str(), nullptr, 0, flags, 0);
            if (!opened)
                return answer;
            answer.request = Request(opened, nullptr);
            answer.status = 200;
            DWORD high = 0;
            const DWORD low = FtpGetFileSize(opened, &high);
            if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR)
                answer.total = static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
            return answer;
        }
        // Connection and request by hand, so that the request carries its own
        // time-outs before anything is sent.
        char host[256] = {}, path[4096] = {}, extra[4096] = {};
        URL_COMPONENTSA parts{};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host;
        parts.dwHostNameLength = sizeof host;
        parts.lpszUrlPath = path;
        parts.dwUrlPathLength = sizeof path;
        parts.lpszExtraInfo = extra;
        parts.dwExtraInfoLength = sizeof extra;
        if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts))
            return answer;
        HINTERNET connected =
            InternetConnectA(root, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
        if (!connected)
            return answer;
        const std::string object = std::string(path) + extra;
        HINTERNET opened = HttpOpenRequestA(
            connected, "GET", object.empty() ? "/" : object.c_str(), nullptr, nullptr, nullptr,
            flags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0), 0);
        Request request(opened, connected);
        if (!opened)
            return answer;
        setTimeouts(opened, options);
        // A bounded range: a run that is given up leaves little in flight.
        std::string headers = "Range: bytes=" + std::to_string(from) + "-" +
                              (to == UINT64_MAX ? std::string() : std::to_string(to - 1)) + "\r\n";
        if (!options.cookie.empty())
            headers += "Cookie: " + options.cookie + "\r\n";
        if (!HttpSendRequestA(opened, headers.c_str(), static_cast<DWORD>(headers.size()), nullptr, 0))
            return answer;
        DWORD value = 0, size = sizeof value, index = 0;
        answer.status = 200;
        if (HttpQueryInfoA(opened, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index))
            answer.status = static_cast<int>(value);
        const std::string range = queryText(opened, HTTP_QUERY_CONTENT_RANGE);
        const size_t slash = range.rfind('/');
        const std::string lengthText = queryText(opened, HTTP_QUERY_CONTENT_LENGTH);
        const int64_t bodyLength = lengthText.empty() ? -1 : std::strtoll(lengthText.c_str(), nullptr, 10);
        if (answer.status == 206 && slash != std::string::npos) {
            if (range[slash + 1] != '*')
                answer.total = std::strtoll(range.c_str() + slash + 1, nullptr, 10);
            const size_t bytes = range.find("bytes ");
            answer.from =
                bytes == std::string::npos ? 0 : std::strtoull(range.c_str() + bytes + 6, nullptr, 10);
            const size_t dash = range.find('-', bytes == std::string::npos ? 0 : bytes);
            if (dash != std::string::npos && dash < slash)
                answer.to = std::strtoull(range.c_str() + dash + 1, nullptr, 10) + 1;
        } else if (answer.status >= 200 && answer.status < 300) {
            // The whole resource from its start: a server without ranges.
            answer.total = bodyLength;
            if (bodyLength >= 0)
                answer.to = static_cast<uint64_t>(bodyLength);
        }
        answer.request = std::move(request);
        return answer;
    }

    // ---- a fetcher's thread ----

    // Waits for a retry's back-off; false when the run is over meanwhile.
    bool backOff(std::unique_lock<SlimMutex>& lock, Fetcher& f) {
        const DWORD delay = kFirstBackoffMs << std::min(f.failures - 1, 6);
        return !changed.wait_for(lock, std::chrono::milliseconds(delay),
                                 [&] { return aborted || f.retired; });
    }

    // A break of the connection: a few tries from where it stopped, then the
    // run fails and its readers get an error.
    void broken(std::unique_lock<SlimMutex>& lock, Fetcher& f) {
        ++f.failures;
        if (f.failures > options.retries || !headOk) {
            f.failed = true;
            changed.notify_all();
            return;
        }
        backOff(lock, f);
    }

    void firstAnswer(bool ok) {
        if (headDone)
            return;
        headDone = true;
        headOk = ok;
        changed.notify_all();
    }

    void fetch(Fetcher& f) {
        Request request;
        uint64_t served = 0, servedEnd = 0; // the open request's body: next byte, end
        std::unique_ptr<uint8_t[]> piece(new uint8_t[kPiece]);
        for (;;) {
            uint64_t from = 0, to = 0;
            {
                std::unique_lock lock(mutex);
                // An open request is read to its end when what is left of it
                // is bounded; a server that ignored the range is paused at the goal.
                auto canRead = [&] {
                    return request.open() &&
                           (f.next < f.goal || f.readerWaiting || servedEnd - served <= kMaxSpan);
                };
                changed.wait(lock, [&] {
                    return aborted || f.retired || canRead() || (!request.open() && wantsMore(f));
                });
                if (aborted || f.retired)
                    break;
                if (!request.open()) {
                    // Skip what is held already, and stop short of the next
                    // held bytes: nothing is downloaded twice.
                    f.next = std::max(f.next, cache.firstMissing(f.next));
                    if (f.next >= end() || f.next >= f.goal)
                        continue;
                    from = f.next;
                    // About a second of the line at most: a run that is left
                    // behind finishes its request soon.
                    const uint64_t maxSpan =
                        f.bytesPerMs > 0
                            ? std::clamp(static_cast<uint64_t>(f.bytesPerMs * kSpanMs), kMinSpan, kMaxSpan)
                            : kMaxSpan;
                    const uint64_t want = std::clamp(f.goal - from, kMinSpan, maxSpan);
                    to = std::min({end(), from + want, cache.nextHeld(from)});
                }
            }
            if (!request.open()) {
                Answer answer = ask(from, to);
                std::unique_lock lock(mutex);
                if (aborted || f.retired)
                    break;
                if (answer.status < 200 || answer.status >= 300) {
                    if (!headDone || (answer.status >= 400 && answer.status < 500)) {
                        // A refusal is final (403 without the cookie, 404...).
                        f.failed = true;
                        firstAnswer(false);
                        changed.notify_all();
                    } else {
                        broken(lock, f);
                    }
                    continue;
                }
                if (!headDone) {
                    if (answer.total >= 0)
                        length = answer.total;
                    firstAnswer(true);
                } else if (length < 0 && answer.total >= 0) {
                    length = answer.total;
                }
                served = answer.from;
                servedEnd = std::min(answer.to, end());
                if (served > f.next) { // an answer from past where this run is: give the run up
                    f.failed = true;
                    changed.notify_all();
                    continue;
                }
                request = std::move(answer.request);
                continue;
            }

            // Read a piece of the open request's body.
            // InternetReadFile returns when the whole piece is there: on a
            // slow line a small piece lets a waiting reader go on sooner.
            const uint64_t piecePace =
                std::clamp(static_cast<uint64_t>(f.bytesPerMs * kPieceMs), kMinPiece, uint64_t{kPiece});
            const DWORD want = static_cast<DWORD>(std::min(piecePace, servedEnd - served));
            DWORD got = 0;
            const double started = nowMs();
            const BOOL ok = want > 0 && InternetReadFile(request.get(), piece.get(), want, &got);
            const double took = nowMs() - started;
            std::unique_lock lock(mutex);
            if (aborted || f.retired)
                break;
            if (!ok || got == 0) {
                lock.unlock();
                request.reset();
                lock.lock();
                if (servedEnd == UINT64_MAX && ok && length < 0) {
                    length = static_cast<int64_t>(served); // a body without a stated length has ended
                    changed.notify_all();
                } else if (want > 0) {
                    broken(lock, f); // the connection dropped before the end of the range
                }
                continue;
            }
            f.failures = 0;
            f.bytesPerMs = f.bytesPerMs * 0.7 + 0.3 * static_cast<double>(got) / std::max(took, 0.05);
            lineBytesPerMs = f.bytesPerMs;
            const uint64_t pieceEnd = served + got;
            if (pieceEnd > f.next) {
                const uint64_t skip = f.next > served ? f.next - served : 0;
                cache.store(served + skip, piece.get() + skip, static_cast<size_t>(got - skip));
                f.next = pieceEnd;
            }
            served = pieceEnd;
            evict();
            if (waiting)
                changed.notify_all();
            if (served >= servedEnd) {
                lock.unlock();
                request.reset(); // read to its end: the connection goes back to the pool
            }
        }
        // `request` closes here, with the lock released.
    }

    void evict() {
        std::vector<std::pair<uint64_t, uint64_t>> keep;
        for (const auto& f : fetchers) {
            const uint64_t from = std::min(f->cursor, f->next);
            keep.emplace_back(from - from % BlockCache::kBlock, f->next + 1);
        }
        cache.evict(options.cacheBytes, keep);
    }

    struct ThreadStart {
        std::shared_ptr<State> state;
        std::shared_ptr<Fetcher> fetcher;
    };

    static DWORD WINAPI threadProc(void* param) {
        HMODULE module = thisModule();
        {
            std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
            start->state->fetch(*start->fetcher);
        }
        FreeLibraryAndExitThread(module, 0);
        return 0;
    }

    std::weak_ptr<State> self;

    bool startThread(const std::shared_ptr<Fetcher>& f) {
        auto* start = new ThreadStart{self.lock(), f};
        HANDLE thread = start->state ? CreateThread(nullptr, 0, &threadProc, start, 0, nullptr) : nullptr;
        if (!thread) {
            delete start;
            return false;
        }
        CloseHandle(thread);
        return true;
    }
};

HttpSource::HttpSource(std::string url, HttpSourceOptions options) : state_(std::make_shared<State>()) {
    state_->self = state_;
    state_->ftp = startsWithNoCase(url, "ftp://");
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
    setTimeouts(internet, s.options);
    std::unique_lock lock(s.mutex);
    if (s.aborted) {
        InternetCloseHandle(internet);
        return false;
    }
    s.internet = internet;
    // The first request runs on a fetcher's thread: a server that never
    // answers then holds only that thread, and abort() ends this wait. It
    // asks for more than a probe: the head of a file is where a demuxer finds
    // its index (a movie's can be a megabyte or more), and a second round
    // trip for it would cost more than the bytes.
    s.startRun(0)->goal = kOpeningWindow;
    s.changed.wait(lock, [&] { return s.headDone || s.aborted; });
    return s.headOk && !s.aborted;
}

long HttpSource::read(uint64_t position, uint8_t* buffer, size_t size) {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    // The platform's demuxer reads on, and decodes, as fast as it is given
    // bytes, whether anything takes its samples or not: held back here, it
    // stays a bounded way ahead of what is shown.
    const auto paced = [&] {
        return s.aborted || position < s.paceLimit || position - s.paceLimit >= kPaceReach;
    };
    s.changed.wait_for(lock, std::chrono::milliseconds(kMaxPaceWaitMs), paced);
    s.noteRead(position);
    const ULONGLONG started = GetTickCount64();
    ULONGLONG lastReport = 0;
    bool stalled = false;
    std::shared_ptr<State::Fetcher> run;
    auto stopWaiting = [&] {
        s.waiting = false;
        if (run)
            run->readerWaiting = false;
    };
    for (;;) {
        if (s.aborted) {
            stopWaiting();
            return -1;
        }
        const uint64_t end = s.end();
        if (position >= end) {
            stopWaiting();
            return 0;
        }
        const uint64_t held = s.cache.firstMissing(position) - position;
        const uint64_t remaining = end - position;
        // After a stall, wait for the buffer target (or the end) before going on.
        const uint64_t want =
            stalled ? std::min(s.options.bufferTarget, remaining) : std::min<uint64_t>(size, remaining);
        if (held > 0 && (held >= want || !run || run->failed)) {
            stopWaiting();
            return static_cast<long>(
                s.cache.copy(position, buffer, static_cast<size_t>(std::min<uint64_t>(size, held))));
        }
        // Not held (or not enough after a stall): the run that will bring it,
        // or a new one at once.
        const uint64_t missing = position + held;
        if (!run || run->retired || run->failed || run->next > missing) {
            if (run && run->failed && !run->retired) {
                stopWaiting();
                return held > 0 ? static_cast<long>(s.cache.copy(position, buffer, static_cast<size_t>(held)))
                                : -1;
            }
            if (run)
                run->readerWaiting = false;
            run = s.runAt(missing);
            if (!run || run->next > missing)
                run = s.startRun(missing);
            run->cursor = position;
            run->lastUse = GetTickCount64();
            s.follow(*run);
        }
        // The run fetches at least what this read waits for.
        const uint64_t goal = std::max({missing + 1, position + want, position + s.window(*run)});
        if (run->goal < goal || !run->readerWaiting) {
            run->goal = std::max(run->goal, goal);
            run->readerWaiting = true;
            s.changed.notify_all();
        }
        s.waiting = true;
        s.changed.wait_for(lock, std::chrono::milliseconds(50));
        const ULONGLONG now = GetTickCount64();
        if (!stalled && now - started >= kStallMs)
            stalled = true;
        if (stalled && s.options.onBuffering && now - lastReport >= kReportEveryMs) {
            lastReport = now;
            const uint64_t target = std::max<uint64_t>(1, std::min(s.options.bufferTarget, remaining));
            const uint64_t have = s.cache.firstMissing(position) - position;
            const int percent = static_cast<int>(std::min<uint64_t>(100, have * 100 / target));
            auto report = s.options.onBuffering;
            lock.unlock();
            report(percent);
            lock.lock();
        }
    }
}

void HttpSource::abort() {
    HINTERNET internet = nullptr;
    {
        std::lock_guard lock(state_->mutex);
        state_->aborted = true;
        for (auto& f : state_->fetchers)
            f->retired = true;
        internet = std::exchange(state_->internet, nullptr);
        state_->changed.notify_all();
    }
    // Closing the session handle also ends a request blocked in a read.
    if (internet)
        InternetCloseHandle(internet);
}

void HttpSource::setBytesPerSecond(uint64_t bytesPerSecond) {
    std::lock_guard lock(state_->mutex);
    state_->bytesPerSecond = bytesPerSecond;
    state_->changed.notify_all(); // a larger window may wake a paused run
}

void HttpSource::paceTo(uint64_t limit) {
    std::lock_guard lock(state_->mutex);
    if (limit > state_->paceLimit)
        state_->changed.notify_all();
    state_->paceLimit = limit;
}

int64_t HttpSource::length() const {
    std::lock_guard lock(state_->mutex);
    return state_->length;
}

uint64_t HttpSource::available() const {
    std::lock_guard lock(state_->mutex);
    return std::min(state_->cache.firstMissing(state_->lastRead), state_->end());
}

bool HttpSource::waiting() const {
    std::lock_guard lock(state_->mutex);
    return state_->waiting;
}

} // namespace engine
