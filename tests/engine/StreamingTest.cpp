// Movies at real sizes over HTTP through the engine's C interface: a fast line
// (plain loopback) and a slow one (4 MB/s per connection, 30 ms before each
// answer), far seeks, a dropped connection, and what the server had to send.
#include "EngineFixture.h"
#include "MediaServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

using namespace testing_support;

namespace {

constexpr uint64_t MB = 1u << 20;
constexpr uint64_t kIndexAllowance = 2 * MB; // the 1 GB movie's index is 1.3 MB

std::wstring streamMedia(const wchar_t* name) {
    return binDirectory() + L"\\..\\stream-media\\" + name;
}

uint64_t fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info))
        return 0;
    return (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

struct Line {
    const char* name;
    LineShape shape;
    uint64_t openAllowance; // bytes the open may fetch beyond the index
};
const Line kFast{"fast", {0, 0}, 64 * MB};
const Line kSlow{"slow", {4 << 20, 30}, 8 * MB};

class StreamingTest : public EngineFixture {
  protected:
    void open(const std::string& url) {
        api.open(handle, url.c_str());
        api.setConfig(handle, 1105, MediaServer::kCookie);
    }
    // Playing, and the clock has moved past `ms`.
    bool playsPast(int ms, int timeoutMs = 20000) {
        return waitFor([&] { return state() == 5 && api.isSeeking(handle) == 0 && position() > ms; },
                       timeoutMs);
    }
};

TEST_F(StreamingTest, OpensAndSeeksFarWithoutFetchingTheWholeMovie) {
    struct Case {
        const wchar_t* file;
        const Line& line;
    };
    const Case cases[] = {
        {L"movie-1gb.mp4", kFast},       {L"movie-1gb.mp4", kSlow},  {L"movie-30mb-tail.mp4", kFast},
        {L"movie-30mb-tail.mp4", kSlow}, {L"movie-30mb.mkv", kFast}, {L"movie-30mb.mkv", kSlow},
    };
    for (const Case& c : cases) {
        const std::wstring path = streamMedia(c.file);
        const uint64_t size = fileSize(path);
        ASSERT_GT(size, 0u);
        const std::string what =
            std::string(path.begin() + path.rfind(L'\\') + 1, path.end()) + " " + c.line.name;
        MediaServer server(path, c.line.shape);
        open(server.url());
        ASSERT_TRUE(playsPast(0)) << what << " state " << state();
        EXPECT_LE(server.sent(), kIndexAllowance + c.line.openAllowance) << what;

        const int middle = api.getDuration(handle) / 2;
        const size_t requestsBefore = server.rangeStarts().size();
        const uint64_t sentBefore = server.sent();
        api.setPosition(handle, middle);
        ASSERT_TRUE(playsPast(middle)) << what << " position " << position();
        EXPECT_LT(position(), middle + 3000) << what;
        // The seek was served by ranges where it landed, without starting over
        // from the beginning of the movie or fetching more than a window.
        const auto starts = server.rangeStarts();
        ASSERT_GT(starts.size(), requestsBefore) << what;
        EXPECT_TRUE(std::any_of(starts.begin() + static_cast<std::ptrdiff_t>(requestsBefore), starts.end(),
                                [&](uint64_t at) { return at > size / 3 && at < size * 2 / 3; }))
            << what;
        EXPECT_EQ(std::count(starts.begin() + static_cast<std::ptrdiff_t>(requestsBefore), starts.end(), 0u),
                  0)
            << what;
        EXPECT_LE(server.sent() - sentBefore, c.line.openAllowance) << what;
        if (size > 512 * MB) { // the read-ahead is bounded: a gigabyte is never fetched whole
            EXPECT_LT(server.sent(), 200 * MB) << what;
        }
        api.close(handle);
        EXPECT_EQ(state(), 0) << what;
    }
}

TEST_F(StreamingTest, DroppedConnectionIsResumedWhereItStopped) {
    constexpr uint64_t kDropAt = 1536 * 1024; // about 2.5 s into the movie
    std::atomic<bool> dropped{false};
    MediaServer server(
        streamMedia(L"movie-30mb.mp4"), kSlow.shape, [&](const HttpRequestSeen&, HttpResponse& r) {
            // The first answer that runs over the mark breaks off there.
            if (r.filePath.empty() || r.fileOffset >= kDropAt || r.fileOffset + r.fileLength <= kDropAt)
                return;
            if (!dropped.exchange(true))
                r.dropAfterBytes = static_cast<int64_t>(kDropAt - r.fileOffset);
        });
    open(server.url());
    ASSERT_TRUE(playsPast(0));
    ASSERT_TRUE(waitFor([&] { return dropped.load(); }));
    // Playback goes on past the break, and the bytes after it were asked for
    // with a range from exactly where the connection stopped.
    EXPECT_TRUE(playsPast(4000)) << "state " << state() << " position " << position();
    const auto starts = server.rangeStarts();
    EXPECT_NE(std::find(starts.begin(), starts.end(), kDropAt), starts.end());
}

// The platform's demuxer reads on as fast as it is given bytes, paused or not;
// the engine holds it a bounded way ahead of the picture.
TEST_F(StreamingTest, ReadingStaysABoundedWayAheadOfPlayback) {
    MediaServer server(streamMedia(L"movie-1gb.mp4"), kFast.shape);
    open(server.url());
    ASSERT_TRUE(playsPast(0));
    api.pause(handle);
    pumpMessages(3000);
    EXPECT_LT(server.sent(), kIndexAllowance + 64 * MB) << "while paused";
    api.play(handle);
    ASSERT_TRUE(playsPast(3000));
    EXPECT_LT(server.sent(), kIndexAllowance + 64 * MB) << "after playing 3 s";
}

TEST_F(StreamingTest, CloseAndOpenAgainInTheSameProcess) {
    MediaServer server(streamMedia(L"movie-30mb.mp4"), kFast.shape);
    for (int round = 0; round < 3; ++round) {
        open(server.url());
        ASSERT_TRUE(playsPast(300)) << "round " << round;
        const ULONGLONG started = GetTickCount64();
        api.close(handle);
        EXPECT_LT(GetTickCount64() - started, 2000u) << "round " << round;
        EXPECT_EQ(state(), 0);
    }
}

} // namespace
