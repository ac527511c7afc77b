// engine-bench: prints the engine's figures. Not a test: it measures.
//   time from open to the first presented picture (local file, loopback HTTP)
//   NV12 -> BGRA conversion and presentation cost per 1280x720 frame
//   pictures dropped while playing a 10 s 1280x720 30 fps file
//   engine CPU time per second of playback
//   loopback HTTP throughput of the engine's byte source against plain WinINet
//   staying power: handles, threads and memory over hundreds of opens
//   (engine-bench soak [rounds])
#include "FrameConverter.h"
#include "HttpSource.h"
#include "LoopbackHttpServer.h"
#include "Player.h"
#include "SubtitleRenderer.h"
#include "TestSupport.h"

#include <objbase.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

using namespace testing_support;

namespace {

double cpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

std::string mediaDir() {
    std::wstring bin = binDirectory();
    return std::string(bin.begin(), bin.end()) + "\\..\\";
}

// The straightforward per-pixel floating-point conversion: the figure before
// the table-driven path.
void referenceConvert(const engine::Nv12Frame& f, std::vector<uint32_t>& out) {
    out.resize(static_cast<size_t>(f.width) * f.height);
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const double Y = f.luma()[static_cast<size_t>(y) * f.stride + x];
            const uint8_t* c = f.chroma() + static_cast<size_t>(y / 2) * f.stride + (x & ~1);
            const double U = c[0] - 128.0, V = c[1] - 128.0;
            const double l = 1.164383 * (Y - 16);
            auto clamp = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 255.0)); };
            out[static_cast<size_t>(y) * f.width + x] = 0xFF000000u | clamp(l + 1.596027 * V) << 16 |
                                                        clamp(l - 0.391762 * U - 0.812968 * V) << 8 |
                                                        clamp(l + 2.017232 * U);
        }
}

engine::Nv12Frame syntheticFrame(int w, int h) {
    engine::Nv12Frame f;
    f.width = w;
    f.height = h;
    f.stride = w;
    f.data.resize(static_cast<size_t>(w) * h * 3 / 2);
    std::mt19937 random(7);
    for (auto& b : f.data)
        b = static_cast<uint8_t>(random());
    return f;
}

void conversionFigures() {
    const engine::Nv12Frame frame = syntheticFrame(1280, 720);
    engine::FrameConverter converter;
    std::vector<uint32_t> out;
    int w = 0, h = 0;
    const int rounds = 60;

    double t = nowMs();
    for (int i = 0; i < 10; ++i)
        referenceConvert(frame, out);
    const double reference = (nowMs() - t) / 10;

    auto perFrame = [&](engine::FrameConverter& c, const engine::PictureSettings& settings) {
        c.convert(frame, settings, out, w, h);
        const double start = nowMs();
        for (int i = 0; i < rounds; ++i)
            c.convert(frame, settings, out, w, h);
        return (nowMs() - start) / rounds;
    };
    engine::FrameConverter scalar(engine::FrameConverter::Path::Scalar);
    engine::PictureSettings neutral;
    engine::PictureSettings adjusted;
    adjusted.brightness = 60;
    adjusted.saturation = 70;
    adjusted.hue = 55;
    const double scalarNeutral = perFrame(scalar, neutral);
    const double scalarAdjusted = perFrame(scalar, adjusted);
    const double tableNeutral = perFrame(converter, neutral);
    const double tableAdjusted = perFrame(converter, adjusted);
    // The floor: one pass that reads 1.4 MB and writes 3.6 MB.
    std::vector<uint32_t> copy(out.size());
    t = nowMs();
    for (int i = 0; i < rounds; ++i) {
        std::memcpy(copy.data(), out.data(), out.size() * 4);
        std::memcpy(copy.data(), frame.data.data(), frame.data.size());
    }
    const double bandwidth = (nowMs() - t) / rounds;

    // Presentation: the converted picture into a visible 1280x720 window.
    TestWindow parent(0, 0, 1280, 720);
    engine::EngineWindow window;
    double present = 0;
    if (window.create(parent.hwnd(), 0, 0, 1280, 720, {})) {
        pumpMessages(200);
        // Two pictures take turns, as the player's presenter and the window do.
        engine::Picture picture{w, h, out};
        window.present(picture);
        picture = engine::Picture{w, h, out};
        t = nowMs();
        for (int i = 0; i < rounds; ++i)
            window.present(picture);
        GdiFlush();
        present = (nowMs() - t) / rounds;
    }
    std::printf("NV12->BGRA 1280x720, per-pixel floating point:        %.2f ms/frame\n", reference);
    std::printf("NV12->BGRA 1280x720, scalar reference, neutral:       %.2f ms/frame\n", scalarNeutral);
    std::printf("NV12->BGRA 1280x720, scalar reference, adjusted:      %.2f ms/frame\n", scalarAdjusted);
    std::printf("NV12->BGRA 1280x720, SSE2, neutral:                   %.2f ms/frame\n", tableNeutral);
    std::printf("NV12->BGRA 1280x720, SSE2, adjusted colours:          %.2f ms/frame\n", tableAdjusted);
    std::printf("memory floor (copy 1.4 MB in, 3.6 MB out):            %.2f ms/frame\n", bandwidth);
    std::printf("presentation (StretchDIBits into the window):            %.2f ms/frame\n", present);
    std::printf("conversion + presentation:                               %.2f ms/frame\n",
                tableNeutral + present);
}

// A two-line cue on a 1280x720 picture: rendering it from text once, then
// blending it onto every picture while it stays on screen.
void subtitleFigures() {
    const std::vector<engine::Cue> cues =
        engine::parseSubtitles(L"1\n00:00:01,000 --> 00:00:05,000\n\u4f60\u597d\uff0c\u4e16\u754c\uff01This "
                               L"is the first line of the cue\n"
                               L"and a second, somewhat longer line under it\n");
    const std::vector<const engine::Cue*> showing = engine::cuesAt(cues, 2000);
    std::vector<uint32_t> picture(1280u * 720u, 0xFF336699u);
    engine::SubtitleRenderer renderer;
    double t = nowMs();
    engine::SubtitleRenderer::warmUp(cues[0].text, 40); // what the track's loading thread does
    const double warm = nowMs() - t;
    t = nowMs();
    renderer.draw(picture.data(), 1280, 720, showing, 1);
    const double first = nowMs() - t;
    std::printf("subtitles, text machinery brought up on the loading thread: %.0f ms\n", warm);
    const int rounds = 200;
    t = nowMs();
    for (int i = 0; i < rounds; ++i)
        renderer.draw(picture.data(), 1280, 720, showing, 1);
    const double each = (nowMs() - t) / rounds;
    // A new cue once the font is in hand: what each change of text costs.
    const std::vector<engine::Cue> next =
        engine::parseSubtitles(L"1\n00:00:01,000 --> 00:00:05,000\n\u518d\u89c1\uff01Another cue with other "
                               L"words\nand its second line\n");
    t = nowMs();
    renderer.draw(picture.data(), 1280, 720, engine::cuesAt(next, 2000), 2);
    const double change = nowMs() - t;
    std::printf("subtitles, a new cue with the font in hand: %.2f ms\n", change);
    // A hostile file: 16 MB of tiny cues (about 470 000), looked up per picture.
    std::vector<engine::Cue> many;
    for (int i = 0; i < 470000; ++i)
        many.push_back({i * 10, i * 10 + 5, L"x", false});
    const engine::CueIndex index(many);
    t = nowMs();
    size_t found = 0;
    for (int i = 0; i < 1000; ++i)
        found += index.at((i * 4711) % 4700000).size();
    const double indexed = (nowMs() - t) / 1000;
    t = nowMs();
    for (int i = 0; i < 20; ++i)
        found += engine::cuesAt(many, (i * 4711) % 4700000).size();
    const double plain = (nowMs() - t) / 20;
    std::printf("subtitles, finding the cues of a picture among 470 000: %.4f ms indexed, %.2f ms by going "
                "through them all (%zu found)\n",
                indexed, plain, found);
    std::printf(
        "subtitles, two-line cue on 1280x720: first picture %.2f ms (rendered from text), then %.3f ms "
        "per picture (%d renders)\n",
        first, each, renderer.renders());
}

// Opens `url` in a fresh engine and returns the ms until the first picture.
double firstPicture(HWND parent, const std::string& url, const std::string& cookie) {
    engine::Player player;
    if (!player.create(parent, 0, 0, 640, 360, {}))
        return -1;
    const double t = nowMs();
    player.open(url);
    player.setConfig(1105, cookie);
    while (player.framesPresented() == 0 && nowMs() - t < 30000) {
        pumpMessages(1);
        if (player.state() == 0 && nowMs() - t > 1000)
            return -1;
    }
    const double elapsed = nowMs() - t;
    player.close();
    return elapsed;
}

void startupFigures() {
    TestWindow parent(0, 0, 640, 360);
    const std::string local = mediaDir() + "bench-media\\hd.mp4";
    const std::string bytes = readAll(std::wstring(local.begin(), local.end()));
    LoopbackHttpServer server([&](const HttpRequestSeen& request) {
        if (request.header("Cookie") != "FTN5K=bench")
            return HttpResponse{403, "Forbidden", {}, "", 0, -1, -1, 0};
        return LoopbackHttpServer::fileResponse(request, bytes);
    });
    firstPicture(parent.hwnd(), local, ""); // load the decoding libraries once
    double localMs = 0, httpMs = 0;
    const int rounds = 5;
    for (int i = 0; i < rounds; ++i) {
        localMs += firstPicture(parent.hwnd(), local, "");
        httpMs += firstPicture(parent.hwnd(), server.base() + "/hd.mp4", "FTN5K=bench");
    }
    std::printf("open to first picture, local 1280x720 file:     %.0f ms (mean of %d)\n", localMs / rounds,
                rounds);
    std::printf("open to first picture, loopback HTTP + cookie:  %.0f ms (mean of %d)\n", httpMs / rounds,
                rounds);
}

// The engine's CPU per second of playing the 720p file in real time, against
// the native decoder's for the same file (decode plus BGRA conversion).
// One file played to its end in a window of its own size: CPU per second of
// playback against the native reference, pictures dropped, and the peak of
// the process's private memory while it played.
void playOne(const char* what, const std::string& file, int width, int height, double nativeMs) {
    TestWindow parent(0, 0, width, height);
    engine::Player player;
    if (!player.create(parent.hwnd(), 0, 0, width, height, {}))
        return;
    player.open(file);
    const double t0 = nowMs();
    while (player.state() != 5 && nowMs() - t0 < 30000)
        pumpMessages(5);
    const double cpu0 = cpuMs(), wall0 = nowMs();
    size_t peak = 0;
    while (player.state() != 0 && nowMs() - wall0 < 60000) {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters);
        peak = std::max<size_t>(peak, counters.PagefileUsage); // private bytes (Wine leaves PrivateUsage 0)
        pumpMessages(20);
    }
    const double wall = nowMs() - wall0, cpu = cpuMs() - cpu0;
    const double engineMs = cpu / (wall / 1000);
    std::printf("%s: %llu pictures shown, %llu dropped; peak private memory %.0f MB\n", what,
                static_cast<unsigned long long>(player.framesPresented()),
                static_cast<unsigned long long>(player.framesDropped()),
                static_cast<double>(peak) / (1 << 20));
    std::printf("  engine CPU time per second of playback: %.0f ms (%.0f %% of one core)\n", engineMs,
                cpu / wall * 100);
    if (nativeMs > 0)
        std::printf("  native decode + BGRA (ffmpeg -threads 1): %.0f ms per second; engine / native: %.2f\n",
                    nativeMs, engineMs / nativeMs);
    player.close();
}

void playbackFigures(double nativeMs, double nativeHevcMs) {
    playOne("10 s 1280x720 30 fps H.264", mediaDir() + "bench-media\\hd.mp4", 1280, 720, nativeMs);
    playOne("10 s 1920x1080 25 fps HEVC", mediaDir() + "bench-media\\fullhd-hevc.mkv", 1920, 1080,
            nativeHevcMs);
}

void throughputFigures() {
    std::string body(50u << 20, '\0');
    std::mt19937 random(3);
    for (auto& c : body)
        c = static_cast<char>(random());
    LoopbackHttpServer server(
        [&](const HttpRequestSeen& request) { return LoopbackHttpServer::fileResponse(request, body); });
    const std::string url = server.base() + "/big.bin";

    auto plain = [&] {
        const double t = nowMs();
        HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        HINTERNET request = InternetOpenUrlA(internet, url.c_str(), nullptr, 0,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
        std::vector<char> buffer(64 * 1024);
        size_t total = 0;
        DWORD n = 0;
        while (InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &n) && n > 0)
            total += n;
        InternetCloseHandle(request);
        InternetCloseHandle(internet);
        return total / ((nowMs() - t) / 1000) / (1 << 20);
    };
    auto ours = [&] {
        const double t = nowMs();
        engine::HttpSource source(url, {});
        if (!source.open())
            return 0.0;
        std::vector<uint8_t> buffer(64 * 1024);
        uint64_t position = 0;
        long n;
        while ((n = source.read(position, buffer.data(), buffer.size())) > 0)
            position += static_cast<uint64_t>(n);
        return position / ((nowMs() - t) / 1000) / (1 << 20);
    };
    plain(); // warm up
    double plainBest = 0, oursBest = 0;
    for (int i = 0; i < 5; ++i) {
        plainBest = std::max(plainBest, plain());
        oursBest = std::max(oursBest, ours());
    }
    std::printf(
        "loopback HTTP 50 MB, best of 5: plain WinINet %.0f MB/s, engine byte source %.0f MB/s, ratio %.2f\n",
        plainBest, oursBest, oursBest / plainBest);
}

// A user zapping through a swarm's episodes for a long evening: one engine
// opens a local movie and a cookie-protected stream in turn, each with a
// subtitle, waits for its first picture, seeks to the middle and waits for
// the picture there, then moves on. Prints what the process holds as it goes.
void soakFigures(int rounds) {
    TestWindow parent(0, 0, 640, 360);
    const std::string local = mediaDir() + "bench-media\\hd.mp4";
    const std::string bytes = readAll(std::wstring(local.begin(), local.end()));
    const std::string srt = "1\r\n00:00:00,500 --> 00:00:09,000\r\nsoak\r\n";
    LoopbackHttpServer server([&](const HttpRequestSeen& request) {
        if (request.header("Cookie") != "FTN5K=bench")
            return HttpResponse{403, "Forbidden", {}, "", 0, -1, -1, 0};
        return LoopbackHttpServer::fileResponse(request, request.target == "/hd.srt" ? srt : bytes);
    });
    engine::Player player;
    if (!player.create(parent.hwnd(), 0, 0, 640, 360, {}))
        return;
    std::printf("%6s %8s %8s %10s %8s %12s %10s\n", "opens", "handles", "threads", "private MB", "heap MB",
                "open (ms)", "failures");
    auto waitPicture = [&](uint64_t after) {
        const double t = nowMs();
        while (player.framesPresented() <= after && nowMs() - t < 15000)
            pumpMessages(2);
        return player.framesPresented() > after;
    };
    double openMs = 0;
    int failures = 0, opened = 0;
    for (int round = 1; round <= rounds; ++round) {
        const bool http = round % 2 == 0;
        const double t = nowMs();
        player.open(http ? server.base() + "/hd.mp4" : local);
        if (http) {
            player.setConfig(1105, "FTN5K=bench");
            player.setConfig(10001, server.base() + "/hd.srt");
        }
        if (!waitPicture(0)) {
            ++failures;
            continue;
        }
        openMs += nowMs() - t;
        ++opened;
        const uint64_t shown = player.framesPresented();
        player.seek(player.duration() / 2);
        if (!waitPicture(shown + 3))
            ++failures;
        if (round == 1 || round % 20 == 0) {
            DWORD handles = 0; // Wine answers 0
            GetProcessHandleCount(GetCurrentProcess(), &handles);
            PROCESS_MEMORY_COUNTERS counters{};
            counters.cb = sizeof counters;
            GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
            std::printf("%6d %8lu %8d %10.1f %8.1f %12.0f %10d\n", round, handles, threadCount(),
                        static_cast<double>(counters.PagefileUsage) / (1 << 20), heapMegabytes(),
                        opened ? openMs / opened : 0.0, failures);
            std::fflush(stdout);
            openMs = 0;
            opened = 0;
        }
    }
    player.close();
}

} // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::printf("engine-bench\n");
    // --native-ms N: the native decoder's CPU ms per second of the same file,
    // measured outside Wine by tools/engine-bench.sh.
    double nativeMs = 0, nativeHevcMs = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--native-ms") == 0)
            nativeMs = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "--native-hevc-ms") == 0)
            nativeHevcMs = std::atof(argv[i + 1]);
    }
    auto only = [&](const char* name) {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], name) == 0)
                return true;
        return false;
    };
    if (only("throughput")) {
        throughputFigures();
        return 0;
    }
    if (only("playback")) {
        playbackFigures(nativeMs, nativeHevcMs);
        return 0;
    }
    if (only("subtitles")) {
        subtitleFigures();
        return 0;
    }
    if (only("soak")) {
        const int rounds = argc > 2 ? std::atoi(argv[2]) : 200;
        soakFigures(rounds > 0 ? rounds : 200);
        return 0;
    }
    conversionFigures();
    subtitleFigures();
    startupFigures();
    playbackFigures(nativeMs, nativeHevcMs);
    throughputFigures();
    return 0;
}
