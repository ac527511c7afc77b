#include "SubtitleTrack.h"

#include "GbkText.h"
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

} // namespace

SubtitleTrack::~SubtitleTrack() {
    stopLoading(); // no change is reported: the owner is going away
}

uint64_t SubtitleTrack::stopLoading() {
    std::shared_ptr<HttpSource> previous;
    uint64_t request = 0;
    {
        std::lock_guard lock(mutex_);
        request = ++request_;
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
    const uint64_t request = stopLoading();
    if (changed_)
        changed_();
    if (source.empty())
        return;
    std::shared_ptr<HttpSource> fetch;
    if (isNetworkUrl(source)) {
        HttpSourceOptions options;
        options.cookie = cookie;
        options.connectTimeoutMs = 10000;
        options.receiveTimeoutMs = 15000;
        options.minWindowBytes = 1u << 20;
        options.cacheBytes = kMaxBytes + (4u << 20);
        fetch = std::make_shared<HttpSource>(source, std::move(options));
        std::lock_guard lock(mutex_);
        fetch_ = fetch;
    }
    loader_ = std::thread([this, request, source, fetch] {
        const std::string bytes = fetch ? readRemote(*fetch) : readLocal(source);
        std::vector<Cue> parsed = parseSubtitles(decodeSubtitleBytes(bytes));
        if (!parsed.empty()) {
            // The first texts, so that the fonts their characters need are loaded here.
            std::wstring sample;
            for (size_t i = 0; i < parsed.size() && i < 20; ++i)
                sample += parsed[i].text + L'\n';
            SubtitleRenderer::warmUp(sample, 40);
        }
        auto cues = std::make_shared<const CueIndex>(std::move(parsed));
        finishLoad(request, std::move(cues));
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
