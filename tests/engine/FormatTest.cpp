// What a swarm may hold, played through the engine's C interface: one short
// file per container and codec (made at build time by the host's ffmpeg),
// each showing red on its left half and blue on its right with a tone.
#include "EngineFixture.h"
#include "EngineLibrary.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

std::vector<std::string> g_missing;
void __stdcall recordMissing(const char* name) {
    g_missing.push_back(name ? name : "");
}

std::wstring formatMedia(const std::wstring& name) {
    return binDirectory() + L"\\..\\format-media\\" + name;
}

class FormatTest : public EngineFixture {
  protected:
    void SetUp() override {
        g_missing.clear();
        onMissingDecoder = reinterpret_cast<void*>(&recordMissing);
        EngineFixture::SetUp();
    }
    COLORREF pixelAt(int x, int y) {
        RECT r{};
        GetWindowRect(api.getWindow(handle), &r);
        return screenPixel(r.left + x, r.top + y);
    }
    // screenPixel gives 0xRRGGBB.
    static int red(COLORREF p) { return (p >> 16) & 0xFF; }
    static int green(COLORREF p) { return (p >> 8) & 0xFF; }
    static int blue(COLORREF p) { return p & 0xFF; }
    static bool reddish(COLORREF p) { return red(p) > 170 && green(p) < 90 && blue(p) < 90; }
    static bool bluish(COLORREF p) { return red(p) < 90 && green(p) < 90 && blue(p) > 170; }
};

TEST_F(FormatTest, EveryContainerAndCodecPlaysShowsItsPictureAndSeeks) {
    struct Row {
        const wchar_t* file;
        bool picture;
    };
    const Row rows[] = {
        {L"mp4-h264-aac.mp4", true},
        {L"mkv-h264-10bit-aac.mkv", true},
        {L"mp4-hevc-10bit-aac.mp4", true},
        {L"mkv-hevc-ac3.mkv", true},
        {L"mkv-h264-eac3.mkv", true},
        {L"mkv-h264-flac.mkv", true},
        {L"mkv-h264-dts.mkv", true},
        {L"mkv-h264-truehd.mkv", true},
        {L"mov-mpeg4-alac.mov", true},
        {L"avi-mpeg4-mp3.avi", true},
        {L"avi-msmpeg4-pcm.avi", true},
        {L"flv-h264-aac.flv", true},
        {L"ts-mpeg2-mp2.ts", true},
        {L"ps-mpeg1-mp2.mpg", true},
        {L"asf-wmv2-wma.wmv", true},
        {L"rm-rv20-ac3.rm", true},
        {L"webm-vp8-vorbis.webm", true},
        {L"webm-vp9-opus.webm", true},
        {L"ogg-theora-vorbis.ogv", true},
        {L"mkv-av1-opus.mkv", true},
        {L"audio.mp3", false},
        {L"audio.m4a", false},
        {L"audio.flac", false},
        {L"audio.wav", false},
        {L"audio.ogg", false},
        {L"audio.opus", false},
        {L"audio.wma", false},
        {L"audio.ac3", false},
    };
    for (const Row& row : rows) {
        const std::string name = gbkPath(row.file);
        SCOPED_TRACE(name);
        g_missing.clear();
        api.open(handle, gbkPath(formatMedia(row.file)).c_str());
        ASSERT_TRUE(waitState(5, 10000));
        EXPECT_NEAR(api.getDuration(handle), 3000, 150);
        if (row.picture) {
            EXPECT_EQ(api.getVideoWidth(handle), 320);
            EXPECT_EQ(api.getVideoHeight(handle), 240);
            COLORREF left = 0, right = 0;
            EXPECT_TRUE(waitFor(
                [&] {
                    left = pixelAt(80, 120);
                    right = pixelAt(240, 120);
                    return reddish(left) && bluish(right);
                },
                5000))
                << std::hex << left << " " << right;
        }
        // A seek lands where it was asked and playing goes on from there.
        ASSERT_EQ(api.setPosition(handle, 2000), 1);
        EXPECT_TRUE(waitFor([&] { return api.isSeeking(handle) == 0; }, 5000));
        EXPECT_NEAR(position(), 2000, 200);
        EXPECT_TRUE(waitFor([&] { return position() > 2300 || state() == 0; }, 5000));
        EXPECT_GE(position() == 0 ? 3000 : position(), 2000);
        EXPECT_TRUE(g_missing.empty()) << g_missing.front();
        api.close(handle);
    }
}

} // namespace

namespace {

// steps.mkv has a picture that is black in even seconds and white in odd
// ones, with a key frame every two seconds, at the black ones: a seek into a
// white second decodes from the black key frame before it, and must show the
// picture at the target, not anything before it.
TEST_F(FormatTest, ASeekShowsThePictureAtItsTargetNotItsKeyFrame) {
    api.open(handle, gbkPath(formatMedia(L"steps.mkv")).c_str());
    ASSERT_TRUE(waitState(5));
    api.pause(handle);
    RECT r{};
    GetWindowRect(api.getWindow(handle), &r);
    struct Case {
        int target;
        bool white;
    };
    for (const Case c : {Case{3600, true}, Case{4700, false}, Case{1500, true}, Case{5500, true}}) {
        SCOPED_TRACE(c.target);
        ASSERT_EQ(api.setPosition(handle, c.target), 1);
        ASSERT_TRUE(waitFor([&] { return api.isSeeking(handle) == 0; }));
        EXPECT_NEAR(position(), c.target, 60);
        // The last second's picture would be the other colour.
        EXPECT_TRUE(
            waitFor([&] { return (green(screenPixel(r.left + 80, r.top + 60)) > 128) == c.white; }, 3000));
        pumpMessages(200);
        EXPECT_EQ(green(screenPixel(r.left + 80, r.top + 60)) > 128, c.white)
            << "stays at the target's picture";
    }
}

size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters.PagefileUsage; // private bytes (Wine leaves PrivateUsage at 0)
}

// Damaged and hostile files play what they can or end idle: no crash, no
// hang, a prompt close, and memory that comes back.
TEST_F(FormatTest, DamagedAndHostileFilesEndIdleWithBoundedMemory) {
    const wchar_t* files[] = {
        L"hostile-cut-header.mkv",
        L"hostile-cut-middle.ts",
        L"hostile-huge-picture.mkv",
        L"hostile-huge-samples.mp4",
        L"hostile-overwritten-mkv-h264-flac.mkv",
        L"hostile-overwritten-mp4-h264-aac.mp4",
        L"hostile-overwritten-ts-mpeg2-mp2.ts",
        L"hostile-overwritten-avi-mpeg4-mp3.avi",
        L"hostile-overwritten-webm-vp9-opus.webm",
        L"hostile-overwritten-asf-wmv2-wma.wmv",
    };
    const size_t before = privateBytes();
    size_t peak = before;
    for (const wchar_t* file : files) {
        SCOPED_TRACE(gbkPath(file));
        api.open(handle, gbkPath(formatMedia(file)).c_str());
        EXPECT_TRUE(waitFor(
            [&] {
                peak = std::max(peak, privateBytes());
                return state() == 0;
            },
            20000));
        if (std::wstring(file) == L"hostile-huge-picture.mkv")
            EXPECT_EQ(api.getVideoWidth(handle), 0) << "a picture wider than any movie is refused";
        const ULONGLONG started = GetTickCount64();
        api.close(handle);
        EXPECT_LT(GetTickCount64() - started, 2000u);
    }
    std::printf("private memory: %zu MB before, %zu MB at the peak\n", before >> 20, peak >> 20);
    EXPECT_GT(before, 0u) << "private bytes must be measurable";
    EXPECT_LT(peak - before, size_t{200} << 20) << "peak growth, MB: " << ((peak - before) >> 20);
    EXPECT_LT(privateBytes() - std::min(privateBytes(), before), size_t{40} << 20) << "kept after closing";
}

} // namespace

namespace {

// The engine loads the decoding libraries from its own folder on the first
// open: one that is missing or will not load is named through the
// missing-decoder callback, and the open ends idle.
TEST(DecodingLibraries, AMissingOrBrokenOneIsNamedAndTheOpenEndsIdle) {
    struct Case {
        const char* name;
        bool present; // a file that is not a library instead of none
    };
    for (const Case c : {Case{"missing", false}, Case{"not a library", true}}) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        for (const wchar_t* name : {L"APlayerCaller.dll", L"avutil-57.dll", L"swresample-4.dll",
                                    L"swscale-6.dll", L"avformat-59.dll"})
            ASSERT_TRUE(CopyFileW((binDirectory() + L"\\" + name).c_str(), folder.file(name).c_str(), FALSE));
        if (c.present)
            ASSERT_TRUE(writeFile(folder.file(L"avcodec-59.dll"), std::vector<uint8_t>(4096, 0x5A)));
        corvina::EngineLibrary library(folder.file(L"APlayerCaller.dll"));
        const corvina::EngineLibrary::Functions& api = library.functions();
        ASSERT_NE(api.create, nullptr);
        TestWindow parent(20, 20, 320, 240);
        g_missing.clear();
        const int handle = api.create(parent.hwnd(), 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, reinterpret_cast<void*>(&recordMissing), nullptr);
        ASSERT_GT(handle, 0);
        api.open(handle, gbkPath(formatMedia(L"mp4-h264-aac.mp4")).c_str());
        EXPECT_TRUE(waitFor([] { return !g_missing.empty(); }, 10000));
        EXPECT_EQ(g_missing, std::vector<std::string>{"avcodec-59.dll"});
        EXPECT_TRUE(waitFor([&] { return api.getState(handle) == 0; }));
        EXPECT_EQ(api.getVideoWidth(handle), 0);
        api.destroy(handle);
    }
}

} // namespace
