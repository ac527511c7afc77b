// Subtitles drawn by the engine onto real pictures: a local file beside the
// movie, a Chinese-named pair in GBK, a subtitle address that needs the
// stream's cookie. Pixels are read back from the screen.
#include "EngineFixture.h"
#include "LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace testing_support;

namespace {

std::vector<uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

// Two cues: one at the bottom from 0.2 s to 1.8 s, none after that.
const char kSrt[] = "1\r\n00:00:00,200 --> 00:00:01,800\r\nHELLO WORLD\r\n";

class SubtitleEngineTest : public EngineFixture {
  protected:
    // Near-white pixels on the picture: the movie's colour bars have none.
    int whitePixels() {
        RECT r{};
        GetWindowRect(api.getWindow(handle), &r);
        int count = 0;
        for (uint32_t p : grabScreen(r))
            if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200)
                ++count;
        return count;
    }
    // Paused, at `ms`, with the picture of that moment on the screen.
    bool showAt(int ms) {
        api.setPosition(handle, ms);
        return waitFor([&] { return api.isSeeking(handle) == 0 && std::abs(position() - ms) < 150; });
    }
    bool textShown() {
        return waitFor([&] { return whitePixels() > 30; });
    }
    bool noTextShown() {
        return waitFor([&] { return whitePixels() == 0; });
    }
    void openPaused(const std::wstring& movie) {
        api.open(handle, gbkPath(movie).c_str());
        ASSERT_TRUE(waitState(5));
        api.pause(handle);
    }
};

TEST_F(SubtitleEngineTest, TheFileBesideTheMovieIsShownDuringItsCuesAndStaysReadableWhenFlipped) {
    TempFolder folder;
    ASSERT_TRUE(CopyFileW(mediaPath(L"bars.mp4").c_str(), folder.file(L"clip.mp4").c_str(), FALSE));
    ASSERT_TRUE(writeFile(folder.file(L"clip.srt"), bytesOf(kSrt)));
    openPaused(folder.file(L"clip.mp4"));
    // Looked for on the engine's thread: found by the time the movie plays.
    EXPECT_TRUE(waitFor([&] { return config(10001) == gbkPath(folder.file(L"clip.srt")); })) << config(10001);

    ASSERT_TRUE(showAt(1000));
    EXPECT_TRUE(textShown()) << "during the cue";
    ASSERT_TRUE(showAt(2500));
    EXPECT_TRUE(noTextShown()) << "after the cue";

    api.setConfig(handle, 302, "1"); // mirrored picture, text drawn after it
    ASSERT_TRUE(showAt(1000));
    EXPECT_TRUE(textShown()) << "flipped";

    api.setConfig(handle, 10003, "0");
    EXPECT_EQ(config(10003), "0");
    EXPECT_TRUE(noTextShown()) << "hidden (the paused picture is drawn again)";
    api.setConfig(handle, 10003, "1");
    EXPECT_TRUE(textShown()) << "shown again";

    api.setConfig(handle, 10002, "1500"); // later by 1.5 s: at 1.0 s nothing yet, at 2.5 s the cue
    EXPECT_EQ(config(10002), "1500");
    EXPECT_TRUE(noTextShown()) << "delayed";
    ASSERT_TRUE(showAt(2500));
    EXPECT_TRUE(textShown()) << "delayed cue at its new time";
    api.setConfig(handle, 10002, "-250");
    EXPECT_EQ(config(10002), "-250");

    api.setConfig(handle, 10001, "");
    EXPECT_EQ(config(10001), "");
    ASSERT_TRUE(showAt(1000));
    EXPECT_TRUE(noTextShown()) << "turned off";
}

TEST_F(SubtitleEngineTest, GbkSubtitlesBesideAChineseNamedMovieArePickedUpInTheirPreferredLanguage) {
    TempFolder folder;
    const std::wstring movie = folder.file(L"\u7535\u5f71.mp4"); // 电影.mp4
    ASSERT_TRUE(CopyFileW(mediaPath(L"bars.mp4").c_str(), movie.c_str(), FALSE));
    // 你好，世界 in GBK, no byte-order mark; an English file and an unrelated one beside it.
    const std::string chinese =
        "1\r\n00:00:00,200 --> 00:00:01,800\r\n\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\r\n";
    ASSERT_TRUE(writeFile(folder.file(L"\u7535\u5f71.chs.srt"), bytesOf(chinese)));
    ASSERT_TRUE(writeFile(folder.file(L"\u7535\u5f71.en.srt"), bytesOf(kSrt)));
    ASSERT_TRUE(
        writeFile(folder.file(L"\u7535\u5f71\u4e8c.srt"), bytesOf(kSrt))); // 电影二.srt: another movie's
    openPaused(movie);
    EXPECT_TRUE(waitFor([&] { return config(10001) == gbkPath(folder.file(L"\u7535\u5f71.chs.srt")); }))
        << config(10001);
    ASSERT_TRUE(showAt(1000));
    EXPECT_TRUE(textShown());
}

TEST_F(SubtitleEngineTest, ASubtitleAddressIsFetchedWithTheStreamsCookie) {
    std::atomic<int> asked{0}, refused{0};
    LoopbackHttpServer server([&](const HttpRequestSeen& request) {
        ++asked;
        if (request.header("Cookie") != "FTN5K=sub") {
            ++refused;
            return HttpResponse{403, "Forbidden", {}, "", 0, -1, -1, 0};
        }
        return LoopbackHttpServer::fileResponse(request, kSrt);
    });
    openPaused(mediaPath(L"bars.mp4"));
    const std::string url = server.base() + "/clip.srt";

    api.setConfig(handle, 1105, "wrong=1");
    api.setConfig(handle, 10001, url.c_str());
    ASSERT_TRUE(waitFor([&] { return refused.load() > 0; }));
    ASSERT_TRUE(showAt(1000));
    EXPECT_TRUE(noTextShown()) << "refused without the cookie";

    api.setConfig(handle, 1105, "FTN5K=sub");
    api.setConfig(handle, 10001, url.c_str());
    EXPECT_EQ(config(10001), url);
    EXPECT_TRUE(textShown()) << "fetched with the cookie";
}

// A subtitle server that never answers holds nothing up: the movie plays, a
// new source, a new open and the engine's end all return at once.
TEST_F(SubtitleEngineTest, ASilentSubtitleServerHoldsNothingUp) {
    std::atomic<int> asked{0};
    LoopbackHttpServer silent([&](const HttpRequestSeen&) {
        ++asked;
        HttpResponse r;
        r.stallBeforeHeadersMs = 600000;
        return r;
    });
    openPaused(mediaPath(L"bars.mp4"));
    const std::string url = silent.base() + "/never.srt";
    ULONGLONG started = GetTickCount64();
    api.setConfig(handle, 10001, url.c_str());
    EXPECT_LT(GetTickCount64() - started, 500u);
    ASSERT_TRUE(waitFor([&] { return asked.load() > 0; }));
    started = GetTickCount64();
    api.setConfig(handle, 10001, url.c_str()); // replaces the stuck fetch
    EXPECT_LT(GetTickCount64() - started, 1000u);
    api.play(handle);
    EXPECT_TRUE(waitFor([&] { return position() > 1000; })) << "the movie plays on";
    started = GetTickCount64();
    api.open(handle, gbkPath(mediaPath(L"bars.mp4")).c_str()); // a new open drops the stuck fetch
    EXPECT_LT(GetTickCount64() - started, 1000u);
    EXPECT_EQ(config(10001), "");
    api.setConfig(handle, 10001, url.c_str()); // and the engine's end (TearDown) drops this one
}

} // namespace
