#include "MediaServer.h"

namespace testing_support {

MediaServer::MediaServer(std::wstring path, LineShape line, Hook hook)
    : path_(std::move(path)), line_(line), hook_(std::move(hook)),
      server_([this](const HttpRequestSeen& request) { return answer(request); }) {}

std::vector<uint64_t> MediaServer::rangeStarts() const {
    std::vector<uint64_t> starts;
    for (const auto& r : server_.requests()) {
        const std::string range = r.header("Range");
        starts.push_back(range.size() > 6 ? std::strtoull(range.c_str() + 6, nullptr, 10) : 0);
    }
    return starts;
}

HttpResponse MediaServer::answer(const HttpRequestSeen& request) const {
    if (request.header("Cookie") != kCookie) {
        HttpResponse denied;
        denied.status = 403;
        denied.reason = "Forbidden";
        return denied;
    }
    const bool mkv = path_.ends_with(L".mkv");
    HttpResponse r =
        LoopbackHttpServer::diskFileResponse(request, path_, mkv ? "video/x-matroska" : "video/mp4");
    r.bytesPerSecond = line_.bytesPerSecond;
    r.stallBeforeHeadersMs = line_.latencyMs;
    if (hook_)
        hook_(request, r);
    return r;
}

} // namespace testing_support
