// The engine library through its C interface, playing real media files and
// streams from a loopback server.
#include "EngineFixture.h"
#include "LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

using namespace testing_support;

namespace {

// What the callbacks saw; they arrive on the test's (creating) thread.
struct Seen {
    std::vector<int> buffering;
    std::vector<std::string> missing;
    DWORD callbackThread = 0;
} g_seen;

void __stdcall recordBuffering(int percent) {
    g_seen.buffering.push_back(percent);
    g_seen.callbackThread = GetCurrentThreadId();
}
void __stdcall recordMissing(const char* name) {
    g_seen.missing.push_back(name ? name : "");
    g_seen.callbackThread = GetCurrentThreadId();
}

class EngineTest : public EngineFixture {
  protected:
    void SetUp() override {
        g_seen = Seen{};
        onBuffering = reinterpret_cast<void*>(&recordBuffering);
        onMissingDecoder = reinterpret_cast<void*>(&recordMissing);
        EngineFixture::SetUp();
    }

    void open(const std::string& url) { api.open(handle, url.c_str()); }
    COLORREF pixelAt(int x, int y) {
        RECT r{};
        GetWindowRect(api.getWindow(handle), &r);
        return screenPixel(r.left + x, r.top + y);
    }
    static bool reddish(COLORREF p) {
        return ((p >> 16) & 0xFF) > 180 && ((p >> 8) & 0xFF) < 90 && (p & 0xFF) < 90;
    }
    static bool bluish(COLORREF p) { return ((p >> 16) & 0xFF) < 90 && (p & 0xFF) > 180; }
};

TEST_F(EngineTest, LocalFilePlaysAdvancesAndEnds) {
    const std::wstring file = mediaPath(L"bars.mp4");
    open(gbkPath(file));
    ASSERT_TRUE(waitState(5));
    EXPECT_NEAR(api.getDuration(handle), 4000, 80); // within 2 %
    EXPECT_EQ(api.getVideoWidth(handle), 320);
    EXPECT_EQ(api.getVideoHeight(handle), 240);
    const std::string size = std::to_string(readAll(file).size());
    EXPECT_EQ(config(5), size);
    EXPECT_EQ(config(29), size);
    const int first = position();
    EXPECT_TRUE(waitFor([&] { return position() > first + 500; }));
    // The end of the media: idle again, the logo's black instead of the picture.
    ASSERT_TRUE(waitState(0));
    EXPECT_TRUE(waitFor([&] { return !reddish(pixelAt(80, 120)); }));
}

TEST_F(EngineTest, PictureShowsTheSourceAndFollowsSettings) {
    open(gbkPath(mediaPath(L"bars.mp4")));
    ASSERT_TRUE(waitState(5));
    ASSERT_TRUE(waitFor([&] { return reddish(pixelAt(80, 120)) && bluish(pixelAt(240, 120)); }))
        << std::hex << pixelAt(80, 120) << " " << pixelAt(240, 120);
    api.pause(handle);
    ASSERT_EQ(state(), 2);
    // Settings apply to the paused picture at once.
    api.setConfig(handle, 302, "1");
    EXPECT_TRUE(waitFor([&] { return bluish(pixelAt(80, 120)) && reddish(pixelAt(240, 120)); }));
    api.setConfig(handle, 302, "0");
    api.setConfig(handle, 304, "180");
    EXPECT_TRUE(waitFor([&] { return bluish(pixelAt(80, 120)) && reddish(pixelAt(240, 120)); }));
    api.setConfig(handle, 304, "0");
    EXPECT_TRUE(waitFor([&] { return reddish(pixelAt(80, 120)); }));
    api.setConfig(handle, 214, "100");
    EXPECT_TRUE(waitFor([&] { return ((pixelAt(80, 120) >> 8) & 0xFF) > 100; }))
        << std::hex << pixelAt(80, 120);
    // Comparison: the left half as decoded, the right half adjusted.
    api.setConfig(handle, 306, "1");
    EXPECT_TRUE(
        waitFor([&] { return reddish(pixelAt(80, 120)) && ((pixelAt(240, 120) >> 8) & 0xFF) > 100; }));
    EXPECT_EQ(config(306), "1");
    EXPECT_EQ(config(201), "");
    api.setConfig(handle, 201, "3");
    EXPECT_EQ(config(201), "3");
}

TEST_F(EngineTest, PauseSeekPlayAndClose) {
    open(gbkPath(mediaPath(L"bars.mp4")));
    ASSERT_TRUE(waitState(5));
    api.pause(handle);
    EXPECT_EQ(state(), 2);
    const int paused = position();
    pumpMessages(300);
    EXPECT_NEAR(position(), paused, 5);
    api.setPosition(handle, 2500);
    EXPECT_TRUE(waitFor([&] { return api.isSeeking(handle) == 0; }));
    EXPECT_NEAR(position(), 2500, 150);
    api.play(handle);
    EXPECT_EQ(state(), 5);
    EXPECT_TRUE(waitFor([&] { return position() > 2700; }));
    const ULONGLONG started = GetTickCount64();
    api.close(handle);
    EXPECT_LT(GetTickCount64() - started, 2000u);
    EXPECT_EQ(state(), 0);
    // Harmless with nothing open.
    api.play(handle);
    api.pause(handle);
    api.setPosition(handle, 1000);
    EXPECT_EQ(state(), 0);
    EXPECT_EQ(position(), 0);
}

// A seek the engine accepts (returns 1) always lands, whenever it comes: while
// opening, on top of another seek, while paused, in the last moments of the
// file. A refused one (0) leaves the engine idle.
TEST_F(EngineTest, EveryAcceptedSeekTakesEffect) {
    enum class Moment { WhileOpening, DuringASeek, WhilePaused, NearTheEnd };
    struct Case {
        const char* name;
        Moment moment;
        int target;
    };
    const Case cases[] = {{"while opening", Moment::WhileOpening, 2500},
                          {"during a seek", Moment::DuringASeek, 3000},
                          {"while paused", Moment::WhilePaused, 2000},
                          {"near the end", Moment::NearTheEnd, 1000}};
    const std::string file = gbkPath(mediaPath(L"bars.mp4"));
    for (int round = 0; round < 3; ++round)
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", round " + std::to_string(round));
            open(file);
            if (c.moment != Moment::WhileOpening) {
                ASSERT_TRUE(waitState(5));
            }
            if (c.moment == Moment::DuringASeek)
                api.setPosition(handle, 500);
            if (c.moment == Moment::WhilePaused)
                api.pause(handle);
            if (c.moment == Moment::NearTheEnd) {
                ASSERT_TRUE(waitFor([&] { return position() >= 3700 || state() == 0; }));
            }
            const int accepted = api.setPosition(handle, c.target);
            if (c.moment != Moment::NearTheEnd) {
                EXPECT_EQ(accepted, 1);
            }
            if (accepted) {
                EXPECT_TRUE(waitFor([&] {
                    const int at = position();
                    return api.isSeeking(handle) == 0 && at >= c.target - 100 && at <= c.target + 1000;
                })) << "position "
                    << position() << " state " << state();
            } else {
                EXPECT_EQ(state(), 0);
            }
            api.close(handle);
        }
}

// A user going through episode after episode: every movie the engine leaves,
// by a new open or by close, gives back its threads and its memory. Each
// session holds decoded frames and pictures, so a session kept alive shows as
// about a megabyte a movie even with this small file.
TEST_F(EngineTest, MoviesLeftBehindGiveBackTheirThreadsAndMemory) {
    const std::string file = gbkPath(mediaPath(L"bars.mp4"));
    auto playOne = [&](int round) {
        if (round % 2)
            api.close(handle); // the other rounds replace the playing movie
        open(file);
        ASSERT_TRUE(waitState(5));
        api.setPosition(handle, 2000);
        ASSERT_TRUE(waitFor([&] { return api.isSeeking(handle) == 0 && position() >= 2000; }));
    };
    // Once warmed up, the decoding libraries and the allocator hold what they
    // keep for good.
    for (int round = 0; round < 3; ++round)
        playOne(round);
    const int threads = threadCount();
    const double heap = heapMegabytes();
    const int rounds = 16;
    for (int round = 0; round < rounds; ++round)
        playOne(round);
    api.close(handle);
    open(file);
    ASSERT_TRUE(waitState(5));
    // The threads of one playing movie, as before; the sessions of the others
    // are gone (a bound that stays clear of the allocator's own drift).
    EXPECT_TRUE(waitFor([&] { return threadCount() <= threads; }, 5000))
        << threadCount() << " threads, " << threads << " before";
    EXPECT_LT(heapMegabytes() - heap, 0.3 * rounds) << heap << " MB before";
}

TEST_F(EngineTest, VolumeAndMuteRoundTrip) {
    api.setVolume(handle, 30);
    EXPECT_EQ(api.getVolume(handle), 30);
    api.setConfig(handle, 12, "1");
    EXPECT_EQ(config(12), "1");
    EXPECT_EQ(api.getVolume(handle), 30); // muting keeps the volume
    api.setConfig(handle, 12, "0");
    EXPECT_EQ(config(12), "0");
    api.setVolume(handle, 250);
    EXPECT_EQ(api.getVolume(handle), 100);
    api.setVolume(handle, -5);
    EXPECT_EQ(api.getVolume(handle), 0);
}

TEST_F(EngineTest, ChineseFileNamePlays) {
    TempFolder folder;
    const std::wstring copy = folder.file(L"\u6837\u7247.mp4"); // 样片.mp4
    ASSERT_TRUE(CopyFileW(mediaPath(L"bars.mp4").c_str(), copy.c_str(), FALSE));
    open(gbkPath(copy));
    EXPECT_TRUE(waitState(5));
    api.close(handle);
}

TEST_F(EngineTest, MissingDecoderIsReportedOnTheCreatingThread) {
    open(gbkPath(mediaPath(L"prores.mov")));
    ASSERT_TRUE(waitFor([] { return !g_seen.missing.empty(); }));
    EXPECT_EQ(g_seen.missing.size(), 1u);
    EXPECT_NE(g_seen.missing[0].find("ap4h"), std::string::npos) << g_seen.missing[0];
    EXPECT_EQ(g_seen.callbackThread, GetCurrentThreadId());
    EXPECT_TRUE(waitState(0));
}

TEST_F(EngineTest, BrokenInputsEndIdleAndClosePromptly) {
    struct Case {
        const char* what;
        std::string url;
    };
    const std::string bigTail = readAll(mediaPath(L"big-tail.mp4"));
    LoopbackHttpServer server([&](const HttpRequestSeen& request) {
        HttpResponse r;
        if (request.target == "/404.mp4") {
            r.status = 404;
            r.reason = "Not Found";
        } else if (request.target == "/500.mp4") {
            r.status = 500;
            r.reason = "Server Error";
        } else if (request.target == "/drop.mp4") {
            // The first answer comes whole; every later connection breaks at
            // once, however often it is tried again.
            r = LoopbackHttpServer::fileResponse(request, bigTail);
            if (request.header("Range").rfind("bytes=0-", 0) != 0)
                r.dropAfterBytes = 0;
        } else if (request.target == "/empty.mp4") {
            r.body = "";
        }
        return r;
    });
    const Case cases[] = {
        {"missing file", gbkPath(mediaPath(L"no-such-file.mp4"))},
        {"empty file", gbkPath(mediaPath(L"empty.mp4"))},
        {"garbage", gbkPath(mediaPath(L"garbage.mp4"))},
        {"truncated", gbkPath(mediaPath(L"truncated.mp4"))},
        {"http 404", server.base() + "/404.mp4"},
        {"http 500", server.base() + "/500.mp4"},
        {"http empty", server.base() + "/empty.mp4"},
        {"http dropped for good", server.base() + "/drop.mp4"},
        {"unreachable port", "http://127.0.0.1:1/x.mp4"},
        {"scheme without handler", "rtsp://127.0.0.1:1/x"},
    };
    for (const Case& c : cases) {
        open(c.url);
        EXPECT_TRUE(waitState(0, 30000)) << c.what;
        const ULONGLONG started = GetTickCount64();
        api.close(handle);
        EXPECT_LT(GetTickCount64() - started, 2000u) << c.what;
    }
}

TEST_F(EngineTest, HttpStreamNeedsItsCookie) {
    const std::string file = readAll(mediaPath(L"bars.mp4"));
    LoopbackHttpServer server([&](const HttpRequestSeen& request) {
        if (request.header("Cookie") != "FTN5K=secret") {
            HttpResponse denied;
            denied.status = 403;
            denied.reason = "Forbidden";
            return denied;
        }
        return LoopbackHttpServer::fileResponse(request, file);
    });
    const std::string url = server.base() + "/stream/a.mp4";

    open(url); // no cookie: refused
    api.setConfig(handle, 1105, "");
    EXPECT_TRUE(waitState(0, 30000));
    api.close(handle);

    open(url);
    api.setConfig(handle, 1105, "FTN5K=secret"); // the program sets it right after the open
    ASSERT_TRUE(waitState(5, 30000));
    EXPECT_EQ(config(5), std::to_string(file.size()));
    EXPECT_TRUE(waitFor([&] { return config(29) == std::to_string(file.size()); }));
    EXPECT_TRUE(waitFor([&] { return reddish(pixelAt(80, 120)); }));
}

TEST_F(EngineTest, HttpSeekingUsesRangeRequests) {
    const std::string file = readAll(mediaPath(L"big-tail.mp4"));
    LoopbackHttpServer server([&](const HttpRequestSeen& request) {
        HttpResponse r = LoopbackHttpServer::fileResponse(request, file);
        r.bytesPerSecond = 512 << 10; // slow enough that a far seek is not downloaded yet
        return r;
    });
    auto ranges = [&] {
        std::vector<long long> starts;
        for (const auto& r : server.requests())
            if (!r.header("Range").empty())
                starts.push_back(std::atoll(r.header("Range").c_str() + 6));
        return starts;
    };
    open(server.base() + "/big.mp4");
    api.setConfig(handle, 1105, "");
    ASSERT_TRUE(waitState(5, 30000));
    // The index at the end was fetched with a range request.
    EXPECT_FALSE(ranges().empty());
    const size_t before = ranges().size();
    api.setPosition(handle, 18000);
    EXPECT_TRUE(waitFor([&] { return api.isSeeking(handle) == 0; }, 30000));
    EXPECT_NEAR(position(), 18000, 300);
    const auto after = ranges();
    ASSERT_GT(after.size(), before);
    EXPECT_GT(after.back(), static_cast<long long>(file.size() / 2));
}

TEST_F(EngineTest, StallingServerReportsBufferingAndClosesPromptly) {
    const std::string file = readAll(mediaPath(L"bars.mp4"));
    LoopbackHttpServer server([&](const HttpRequestSeen& request) {
        HttpResponse r = LoopbackHttpServer::fileResponse(request, file);
        r.stallAfterBytes = static_cast<int>(file.size() * 6 / 10); // then nothing more, ever
        return r;
    });
    open(server.base() + "/stall.mp4");
    api.setConfig(handle, 1105, "");
    ASSERT_TRUE(waitFor([&] { return state() == 3 || !g_seen.buffering.empty(); }, 30000)) << state();
    EXPECT_TRUE(waitFor([] { return !g_seen.buffering.empty(); }));
    for (int percent : g_seen.buffering) {
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
    }
    EXPECT_EQ(g_seen.callbackThread, GetCurrentThreadId());
    const ULONGLONG started = GetTickCount64();
    api.close(handle);
    EXPECT_LT(GetTickCount64() - started, 2000u);
    EXPECT_EQ(state(), 0);
}

TEST_F(EngineTest, ServerThatNeverAnswersDoesNotHoldClose) {
    LoopbackHttpServer silent([](const HttpRequestSeen&) {
        HttpResponse r;
        r.stallBeforeHeadersMs = 600000;
        return r;
    });
    open(silent.base() + "/never.mp4");
    api.setConfig(handle, 1105, "");
    pumpMessages(500);
    EXPECT_EQ(state(), 1); // still opening
    const ULONGLONG started = GetTickCount64();
    api.close(handle);
    EXPECT_LT(GetTickCount64() - started, 2000u);
    EXPECT_EQ(state(), 0);
}

TEST_F(EngineTest, EnginesAreIndependent) {
    const int other = api.create(parent.hwnd(), 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_GT(other, 0);
    api.setConfig(other, 3, "other");
    open(gbkPath(mediaPath(L"bars.mp4")));
    EXPECT_TRUE(waitState(5));
    EXPECT_EQ(api.getState(other), 0);
    EXPECT_EQ(api.getConfig(other, 3), std::string("other"));
    EXPECT_EQ(config(3), "");
    api.destroy(other);
    EXPECT_EQ(api.getState(other), 0);
    EXPECT_EQ(state(), 5);
}

} // namespace
