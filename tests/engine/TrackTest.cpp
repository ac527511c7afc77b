// The movie's own tracks through items 10005-10008: a Matroska file with two
// sound tracks and two text subtitle tracks (SRT and ASS), and an MP4 with a
// mov_text track. Subtitles are read back from the screen.
#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

std::wstring formatMedia(const std::wstring& name) {
    return binDirectory() + L"\\..\\format-media\\" + name;
}

class TrackTest : public EngineFixture {
  protected:
    // The span of near-white pixels across the picture (the bars have none):
    // 0 without text, wider for a longer line.
    int textWidth() {
        RECT r{};
        GetWindowRect(api.getWindow(handle), &r);
        const std::vector<uint32_t> pixels = grabScreen(r);
        const int width = r.right - r.left;
        int left = width, right = -1;
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t p = pixels[i];
            if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200) {
                left = std::min(left, static_cast<int>(i % width));
                right = std::max(right, static_cast<int>(i % width));
            }
        }
        return right < 0 ? 0 : right - left + 1;
    }
    // Paused at 1 s, inside every track's cue.
    void openPausedInTheCue(const std::wstring& movie) {
        api.open(handle, gbkPath(movie).c_str());
        ASSERT_TRUE(waitState(5));
        api.pause(handle);
        api.setPosition(handle, 1000);
        ASSERT_TRUE(waitFor([&] { return api.isSeeking(handle) == 0; }));
    }
    bool settlesAt(int& width, const std::function<bool(int)>& good) {
        return waitFor([&] {
            width = textWidth();
            return good(width);
        });
    }
};

TEST_F(TrackTest, TracksAreListedChosenAndShown) {
    EXPECT_EQ(config(10005), "");
    EXPECT_EQ(config(10006), "-1");
    openPausedInTheCue(formatMedia(L"tracks.mkv"));
    EXPECT_EQ(config(10005), "0\tchi\taac\t\n1\teng\taac\t");
    EXPECT_EQ(config(10006), "0");
    EXPECT_EQ(config(10007), "0\tchi\tsubrip\t\n1\teng\tass\t");
    EXPECT_EQ(config(10008), "0"); // no subtitle file: the first track shows

    int first = 0, second = 0, none = -1;
    EXPECT_TRUE(settlesAt(first, [](int w) { return w > 40; })) << "the first track's cue";
    api.setConfig(handle, 10008, "1");
    EXPECT_EQ(config(10008), "1");
    EXPECT_TRUE(settlesAt(second, [&](int w) { return w > 40 && std::abs(w - first) > 8; }))
        << "the second track's longer line: " << first << " then " << second;
    api.setConfig(handle, 10008, "-1");
    EXPECT_TRUE(settlesAt(none, [](int w) { return w == 0; })) << "no track";
    api.setConfig(handle, 10008, "2"); // no such track: nothing changes
    EXPECT_EQ(config(10008), "-1");

    // Another sound track plays on from where the movie was.
    api.setConfig(handle, 10006, "1");
    EXPECT_EQ(config(10006), "1");
    EXPECT_TRUE(waitFor([&] { return api.isSeeking(handle) == 0; }));
    EXPECT_NEAR(position(), 1000, 150);
    api.play(handle);
    EXPECT_TRUE(waitFor([&] { return position() > 1500; }));
    api.setConfig(handle, 10006, "5");
    EXPECT_EQ(config(10006), "1");
    api.setConfig(handle, 10007, "x"); // read only
    EXPECT_EQ(config(10007), "0\tchi\tsubrip\t\n1\teng\tass\t");
}

TEST_F(TrackTest, ASubtitleFileComesFirstUnlessATrackIsChosen) {
    TempFolder folder;
    ASSERT_TRUE(CopyFileW(formatMedia(L"tracks.mkv").c_str(), folder.file(L"movie.mkv").c_str(), FALSE));
    const std::string srt = "1\r\n00:00:00,100 --> 00:00:02,900\r\nA MUCH LONGER LINE FROM THE FILE\r\n";
    ASSERT_TRUE(writeFile(folder.file(L"movie.srt"), std::vector<uint8_t>(srt.begin(), srt.end())));
    openPausedInTheCue(folder.file(L"movie.mkv"));
    int file = 0, track = 0;
    EXPECT_TRUE(settlesAt(file, [](int w) { return w > 150; })) << "the file's long line: " << file;
    api.setConfig(handle, 10008, "0");
    EXPECT_TRUE(settlesAt(track, [&](int w) { return w > 40 && w < file - 30; }))
        << "the chosen track instead: " << file << " then " << track;
}

TEST_F(TrackTest, Mp4TextTrackIsShown) {
    openPausedInTheCue(formatMedia(L"tracks.mp4"));
    EXPECT_EQ(config(10007), "0\tchi\tmov_text\t");
    int width = 0;
    EXPECT_TRUE(settlesAt(width, [](int w) { return w > 40; }));
}

} // namespace
