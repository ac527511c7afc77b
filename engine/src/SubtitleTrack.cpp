#include "SubtitleTrack.h"

#include "GbkText.h"
#include "SubtitleNames.h"
#include "HttpSource.h"
#include "SubtitleRenderer.h"

#include <windows.h>

namespace engine {
namespace {

std::string readLocal(const std::string& path) {
    HANDLE file = CreateFileW(widenGbk(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[64 * 1024];
    DWORD got = 0;
    while (bytes.size() < SubtitleTrack::kMaxBytes && ReadFile(file, buffer, sizeof buffer, &got, nullptr) &&
           got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes.size() > SubtitleTrack::kMaxBytes ? std::string() : bytes;
}

std::string readRemote(HttpSource& source) {
    if (!source.open())
        return {};
    std::string bytes;
    uint8_t buffer[64 * 1024];
    long n = 0;
    while ((n = source.read(bytes.size(), buffer, sizeof buffer)) > 0) {
        bytes.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
        if (bytes.size() > SubtitleTrack::kMaxBytes)
            return {};
    }
    return n < 0 ? std::string() : bytes;
}

// The best subtitle file beside a local movie, or empty.
std::string findBeside(const std::string& moviePath) {
    const std::wstring path = widenGbk(moviePath);
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    const std::wstring movie = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = movie.rfind(L'.');
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    const std::wstring pattern =
        folder + L"\\" + (dot == std::wstring::npos ? movie : movie.substr(0, dot)) + L"*";
    HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.emplace_back(entry.cFileName);
        } while (names.size() < 1000 && FindNextFileW(find, &entry));
        FindClose(find);
    }
    const int best = pickSubtitle(movie, names);
    return best < 0 ? std::string() : narrowToGbk(folder + L"\\" + names[static_cast<size_t>(best)]);
}

} // namespace

SubtitleTrack::~SubtitleTrack() {
    stopLoading({}); // no change is reported: the owner is going away
}

uint64_t SubtitleTrack::stopLoading(const std::string& source) {
    std::shared_ptr<HttpSource> previous;
    uint64_t request = 0;
    {
        std::lock_guard lock(mutex_);
        request = ++request_;
        source_ = source;
        previous = std::move(fetch_);
        cues_.reset();
        ++generation_;
    }
    if (previous)
        previous->abort(); // ends a read blocked on the network at once
    if (loader_.joinable())
        loader_.join();
    return request;
}

void SubtitleTrack::setSource(const std::string& source, const std::string& cookie) {
    startLoading(stopLoading(source), source, cookie, false);
}

void SubtitleTrack::pickUpBeside(const std::string& moviePath) {
    startLoading(stopLoading({}), moviePath, {}, true);
}

std::string SubtitleTrack::source() const {
    std::lock_guard lock(mutex_);
    return source_;
}

void SubtitleTrack::startLoading(uint64_t request, std::string source, std::string cookie, bool beside) {
    if (changed_)
        changed_();
    if (source.empty())
        return;
    std::shared_ptr<HttpSource> fetch;
    if (!beside && isNetworkUrl(source)) {
        HttpSourceOptions options;
        options.cookie = std::move(cookie);
        options.connectTimeoutMs = 10000;
        options.receiveTimeoutMs = 15000;
        options.minWindowBytes = 1u << 20;
        options.cacheBytes = kMaxBytes + (4u << 20);
        fetch = std::make_shared<HttpSource>(source, std::move(options));
        std::lock_guard lock(mutex_);
        fetch_ = fetch;
    }
    loader_ = std::thread([this, request, source = std::move(source), fetch, beside] {
        std::string path = source;
        if (beside) {
            path = findBeside(source);
            if (path.empty())
                return;
            std::lock_guard lock(mutex_);
            if (request != request_)
                return; // replaced meanwhile
            source_ = path;
        }
        const std::string bytes = fetch ? readRemote(*fetch) : readLocal(path);
        std::vector<Cue> parsed = parseSubtitles(decodeSubtitleBytes(bytes));
        if (!parsed.empty()) {
            // The first texts, so that the fonts their characters need are loaded here.
            std::wstring sample;
            for (size_t i = 0; i < parsed.size() && i < 20; ++i)
                sample += parsed[i].text + L'\n';
            SubtitleRenderer::warmUp(sample, 40);
        }
        finishLoad(request, std::make_shared<const CueIndex>(std::move(parsed)));
    });
}

void SubtitleTrack::finishLoad(uint64_t request, std::shared_ptr<const CueIndex> cues) {
    {
        std::lock_guard lock(mutex_);
        if (request != request_)
            return; // replaced meanwhile
        cues_ = std::move(cues);
        ++generation_;
        fetch_.reset();
    }
    if (changed_)
        changed_();
}

SubtitleTrack::Snapshot SubtitleTrack::current() const {
    std::lock_guard lock(mutex_);
    return {cues_, generation_};
}

} // namespace engine
