// stream-bench: prints the figures of playing movies over HTTP.
//   open -> playing, bytes the server sent for the open, a seek to the middle
//   -> playing there (the first new picture: "seek"; playing on past the target: "past"), all bytes sent once
//   it has played 5 s more, for a 30 MB and a 1 GB MP4 (index at the front), a 30 MB MP4 with its index at
//   the end and a 30 MB Matroska file, on a fast line (plain loopback) and a slow one (4 MB/s per connection,
//   30 ms before each answer), and from the local file for comparison; the peak private memory of the process
//   during each case and over the whole run. After that the server drops the next connection halfway through
//   its answer: the figure is how long the picture then took to play 2 s on ("2 s after drop"; about 2000
//   when the drop cost nothing, -1 when playback did not survive it).
// Usage: stream-bench [local|fast|slow] [file-name-part]
#include "MediaServer.h"
#include "Player.h"
#include "TestSupport.h"

#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>

using namespace testing_support;

namespace {

struct Line {
    const char* name;
    int bytesPerSecond;
    int latencyMs;
};

struct Figures {
    double openMs = -1;
    double openMb = 0;
    double seekMs = -1;
    double pastMs = -1; // from the seek until playing on past the target, as a viewer sees it
    int landedMs = -1;
    double peakMb = 0;       // the process's private memory at its highest during the case
    double playedMb = 0;     // everything sent by the end of 5 s of playing after the seek
    double afterDropMs = -1; // 2 s of playing after a dropped connection took this long
    bool dropped = false;    // false: nothing was fetched any more (all of it held) to drop
};

// Drops the first sizeable answer after it is armed, halfway through.
struct Dropper {
    std::atomic<int> state{0}; // 0 idle, 1 armed, 2 dropped
    void shape(const HttpRequestSeen&, HttpResponse& r) {
        int armed = 1;
        if (r.fileLength >= 64 * 1024 && state.compare_exchange_strong(armed, 2))
            r.dropAfterBytes = static_cast<int64_t>(r.fileLength / 2);
    }
};

double privateMb() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Private bytes: Wine leaves PrivateUsage at 0 and counts them in PagefileUsage.
    return static_cast<double>(counters.PagefileUsage) / (1 << 20);
}

double peakMemoryMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakPagefileUsage) / (1 << 20);
}

Figures measure(HWND parent, MediaServer& server, Dropper& dropper, const std::string& url) {
    Figures f;
    // Sampled all along by the waits below.
    auto waitFor = [&f](const std::function<bool()>& done, int timeoutMs) {
        return testing_support::waitFor(
            [&] {
                f.peakMb = std::max(f.peakMb, privateMb());
                return done();
            },
            timeoutMs);
    };
    auto pumpMessages = [&](int forMs) { waitFor([] { return false; }, forMs); };
    engine::Player player;
    if (!player.create(parent, 0, 0, 640, 360, {}))
        return f;
    const uint64_t sentBefore = server.sent();
    double t = nowMs();
    player.open(url);
    player.setConfig(1105, MediaServer::kCookie);
    const bool opened = waitFor([&] { return player.framesPresented() > 0 || player.state() == 0; }, 30000);
    if (opened && player.framesPresented() > 0) {
        f.openMs = nowMs() - t;
        f.openMb = static_cast<double>(server.sent() - sentBefore) / (1 << 20);
        const int middle = player.duration() / 2;
        const uint64_t shown = player.framesPresented();
        t = nowMs();
        player.seek(middle);
        const bool landed = waitFor(
            [&] {
                return (!player.isSeeking() && player.framesPresented() > shown + 1) || player.state() == 0;
            },
            30000);
        if (landed && player.state() != 0) {
            f.seekMs = nowMs() - t;
            f.landedMs = player.position() - middle;
            const uint64_t atTarget = player.framesPresented();
            if (waitFor(
                    [&] {
                        return (player.state() == 5 && !player.isSeeking() &&
                                player.position() > middle + 100 &&
                                player.framesPresented() > atTarget + 2) ||
                               player.state() == 0;
                    },
                    30000) &&
                player.state() != 0)
                f.pastMs = nowMs() - t;
            pumpMessages(5000);
            f.playedMb = static_cast<double>(server.sent() - sentBefore) / (1 << 20);
            dropper.state = 1;
            if (url.rfind("http", 0) == 0 && waitFor([&] { return dropper.state == 2; }, 20000)) {
                f.dropped = true;
                const int from = player.position();
                t = nowMs();
                if (waitFor([&] { return player.position() >= from + 2000 || player.state() == 0; }, 30000) &&
                    player.state() != 0)
                    f.afterDropMs = nowMs() - t;
            }
        }
    }
    player.close();
    return f;
}

} // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const char* onlyLine = argc > 1 ? argv[1] : nullptr;
    const char* onlyFile = argc > 2 ? argv[2] : nullptr;
    const std::wstring folder = binDirectory() + L"\\..\\stream-media\\";
    const wchar_t* files[] = {L"movie-30mb.mp4", L"movie-1gb.mp4", L"movie-30mb-tail.mp4", L"movie-30mb.mkv"};
    // "local" opens the file itself: the floor any line is measured against.
    const Line lines[] = {{"local", 0, 0}, {"fast", 0, 0}, {"slow", 4 << 20, 30}};

    TestWindow parent(0, 0, 640, 360);
    std::printf("stream-bench\n%-5s %-22s %10s %10s %10s %10s %8s %12s %18s %10s\n", "line", "file",
                "open (ms)", "open (MB)", "seek (ms)", "past (ms)", "landed", "+5 s (MB)",
                "2 s after drop (ms)", "peak (MB)");
    for (const Line& line : lines) {
        if (onlyLine && std::strcmp(onlyLine, line.name) != 0)
            continue;
        for (const wchar_t* name : files) {
            const std::wstring path = folder + name;
            const std::string narrow(path.begin(), path.end());
            const std::string shortName(narrow.substr(narrow.rfind('\\') + 1));
            if (onlyFile && shortName.find(onlyFile) == std::string::npos)
                continue;
            Dropper dropper;
            MediaServer server(path, {line.bytesPerSecond, line.latencyMs},
                               [&](const HttpRequestSeen& q, HttpResponse& r) { dropper.shape(q, r); });
            const bool local = std::strcmp(line.name, "local") == 0;
            const Figures f = measure(parent.hwnd(), server, dropper, local ? narrow : server.url());
            char afterDrop[32] = "no request left";
            if (f.dropped)
                std::snprintf(afterDrop, sizeof afterDrop, "%.0f", f.afterDropMs);
            std::printf("%-5s %-22s %10.0f %10.1f %10.0f %10.0f %+6dms %12.1f %18s %10.0f\n", line.name,
                        shortName.c_str(), f.openMs, f.openMb, f.seekMs, f.pastMs, f.landedMs, f.playedMb,
                        local ? "-" : afterDrop, f.peakMb);
            std::fflush(stdout);
        }
    }
    std::printf("peak memory of the process: %.0f MB\n", peakMemoryMb());
    return 0;
}
