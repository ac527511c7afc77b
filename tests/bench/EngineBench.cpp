// engine-bench: prints the engine's figures. Not a test: it measures.
//   time from open to the first presented picture (local file, loopback HTTP)
//   NV12 -> BGRA conversion and presentation cost per 1280x720 frame
//   pictures dropped while playing a 10 s 1280x720 30 fps file
//   engine CPU time per second of playback
//   loopback HTTP throughput of the engine's byte source against plain WinINet
#include "FrameConverter.h"
#include "HttpSource.h"
#include "LoopbackHttpServer.h"
#include "Player.h"
#include "TestSupport.h"

#include <objbase.h>
#include <wininet.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

    engine::PictureSettings neutral;
    converter.convert(frame, neutral, out, w, h);
    t = nowMs();
    for (int i = 0; i < rounds; ++i)
        converter.convert(frame, neutral, out, w, h);
    const double tableNeutral = (nowMs() - t) / rounds;

    engine::PictureSettings adjusted;
    adjusted.brightness = 60;
    adjusted.saturation = 70;
    adjusted.hue = 55;
    t = nowMs();
    for (int i = 0; i < rounds; ++i)
        converter.convert(frame, adjusted, out, w, h);
    const double tableAdjusted = (nowMs() - t) / rounds;

    // Presentation: the converted picture into a visible 1280x720 window.
    TestWindow parent(0, 0, 1280, 720);
    engine::EngineWindow window;
    double present = 0;
    if (window.create(parent.hwnd(), 0, 0, 1280, 720, {})) {
        pumpMessages(200);
        t = nowMs();
        for (int i = 0; i < rounds; ++i) {
            engine::Picture picture;
            picture.width = w;
            picture.height = h;
            picture.pixels = out;
            window.present(std::move(picture));
        }
        GdiFlush();
        present = (nowMs() - t) / rounds;
    }
    std::printf("NV12->BGRA 1280x720, per-pixel floating point (before): %.2f ms/frame\n", reference);
    std::printf("NV12->BGRA 1280x720, table-driven, neutral (after):      %.2f ms/frame\n", tableNeutral);
    std::printf("NV12->BGRA 1280x720, table-driven, adjusted colours:     %.2f ms/frame\n", tableAdjusted);
    std::printf("presentation (StretchDIBits into the window):            %.2f ms/frame\n", present);
    std::printf("conversion + presentation:                               %.2f ms/frame\n",
                tableNeutral + present);
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
    firstPicture(parent.hwnd(), local, ""); // warm the platform's media stack once
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

void playbackFigures() {
    TestWindow parent(0, 0, 1280, 720);
    engine::Player player;
    if (!player.create(parent.hwnd(), 0, 0, 1280, 720, {}))
        return;
    const std::string local = mediaDir() + "bench-media\\hd.mp4";
    player.open(local);
    const double t0 = nowMs();
    while (player.state() != 5 && nowMs() - t0 < 30000)
        pumpMessages(5);
    const double cpu0 = cpuMs(), wall0 = nowMs();
    while (player.state() != 0 && nowMs() - wall0 < 60000)
        pumpMessages(20);
    const double wall = nowMs() - wall0, cpu = cpuMs() - cpu0;
    std::printf("10 s 1280x720 30 fps: %llu pictures shown, %llu dropped\n",
                static_cast<unsigned long long>(player.framesPresented()),
                static_cast<unsigned long long>(player.framesDropped()));
    std::printf("engine CPU time per second of playback: %.0f ms (%.0f %% of one core)\n",
                cpu / (wall / 1000), cpu / wall * 100);
    player.close();
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

} // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::printf("engine-bench\n");
    if (argc > 1 && std::strcmp(argv[1], "throughput") == 0) {
        throughputFigures();
        return 0;
    }
    conversionFigures();
    startupFigures();
    playbackFigures();
    throughputFigures();
    return 0;
}
