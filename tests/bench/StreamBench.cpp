// stream-bench: prints the figures of playing movies over HTTP.
//   open -> playing, bytes the server sent for the open, a seek to the middle
//   -> playing there, all bytes sent once it has played 5 s more, for a 30 MB and a 1 GB MP4 (index at the
//   front), a 30 MB MP4 with its index at the end and a 30 MB Matroska file, on a fast line (plain loopback)
//   and a slow one (4 MB/s per connection, 30 ms before each answer), and from the local file for comparison;
//   the peak memory of the process.
// Usage: stream-bench [local|fast|slow] [file-name-part]
#include "MediaServer.h"
#include "Player.h"
#include "TestSupport.h"

#include <objbase.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>

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
    int landedMs = -1;
    double playedMb = 0; // everything sent by the end of 5 s of playing after the seek
};

double peakMemoryMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakPagefileUsage) / (1 << 20);
}

Figures measure(HWND parent, MediaServer& server, const std::string& url) {
    Figures f;
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
            pumpMessages(5000);
            f.playedMb = static_cast<double>(server.sent() - sentBefore) / (1 << 20);
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
    std::printf("stream-bench\n%-5s %-22s %10s %10s %10s %8s %12s\n", "line", "file", "open (ms)",
                "open (MB)", "seek (ms)", "landed", "+5 s (MB)");
    for (const Line& line : lines) {
        if (onlyLine && std::strcmp(onlyLine, line.name) != 0)
            continue;
        for (const wchar_t* name : files) {
            const std::wstring path = folder + name;
            const std::string narrow(path.begin(), path.end());
            const std::string shortName(narrow.substr(narrow.rfind('\\') + 1));
            if (onlyFile && shortName.find(onlyFile) == std::string::npos)
                continue;
            MediaServer server(path, {line.bytesPerSecond, line.latencyMs});
            const bool local = std::strcmp(line.name, "local") == 0;
            const Figures f = measure(parent.hwnd(), server, local ? narrow : server.url());
            std::printf("%-5s %-22s %10.0f %10.1f %10.0f %+6dms %12.1f\n", line.name, shortName.c_str(),
                        f.openMs, f.openMb, f.seekMs, f.landedMs, f.playedMb);
            std::fflush(stdout);
        }
    }
    std::printf("peak memory of the process: %.0f MB\n", peakMemoryMb());
    return 0;
}
