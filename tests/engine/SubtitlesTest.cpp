#include "SubtitleNames.h"
#include "SubtitleRenderer.h"
#include "Subtitles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using engine::Cue;
using engine::cuesAt;
using engine::decodeSubtitleBytes;
using engine::parseSubtitles;

TEST(Subtitles, ParsingTable) {
    struct Case {
        const char* name;
        const wchar_t* text;
        std::vector<Cue> cues;
    };
    const Case cases[] = {
        {"srt with commas",
         L"1\r\n00:00:01,000 --> 00:00:02,500\r\nHello\r\nthere\r\n\r\n2\r\n00:00:03,000 --> "
         L"00:00:04,000\r\nBye\r\n",
         {{1000, 2500, L"Hello\nthere"}, {3000, 4000, L"Bye"}}},
        {"minutes past 99 without hours",
         L"WEBVTT\n\n100:00.000 --> 101:30.500\nLong film\n",
         {{100 * 60 * 1000, (101 * 60 + 30) * 1000 + 500, L"Long film"}}},
        {"dots and hours over 99",
         L"1\n123:04:05.678 --> 123:04:06.000\nLate\n",
         {{((123 * 60 + 4) * 60 + 5) * 1000 + 678, ((123 * 60 + 4) * 60 + 6) * 1000, L"Late"}}},
        {"missing blank lines",
         L"1\n00:00:01,000 --> 00:00:02,000\nOne\n2\n00:00:02,000 --> 00:00:03,000\nTwo\n00:00:03,000 --> "
         L"00:00:04,000\nThree",
         {{1000, 2000, L"One"}, {2000, 3000, L"Two"}, {3000, 4000, L"Three"}}},
        {"a cue without text is left out",
         L"1\n00:00:01,000 --> 00:00:02,000\n\n2\n00:00:02,000 --> 00:00:03,000\nKept\n",
         {{2000, 3000, L"Kept"}}},
        {"malformed cues skipped, not the file",
         L"1\n00:00:xx,000 --> 00:00:02,000\nBad\n\n2\n00:00:05,000 --> "
         L"00:00:04,000\nBackwards\n\n3\n00:00:06,000 --> 00:00:07,000\nGood\n",
         {{6000, 7000, L"Good"}}},
        {"tags removed, top placement",
         L"1\n00:00:01,000 --> 00:00:02,000\n{\\an8}<i>Up</i> &amp; <b>away</b>\n",
         {{1000, 2000, L"Up & away", true}}},
        {"webvtt",
         L"WEBVTT\n\nNOTE a comment\n\n00:01.000 --> 00:02.000 line:0 align:center\n<v "
         L"Ann>Hi</v>\n\nid\n00:00:03.000 --> 00:00:04.000\n<c.x>There</c>\n",
         {{1000, 2000, L"Hi", true}, {3000, 4000, L"There"}}},
        {"ass",
         L"[Script Info]\nTitle: x\n\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, "
         L"MarginV, Effect, Text\n"
         L"Dialogue: 0,0:00:01.50,0:00:03.00,Default,,0,0,0,,{\\b1}One, two\\Nthree{\\b0}\n"
         L"Dialogue: 0,0:00:02.00,0:00:04.00,Default,,0,0,0,,{\\an8}Top\\hline\n"
         L"Dialogue: 0,bad,0:00:04.00,Default,,0,0,0,,Skipped\n",
         {{1500, 3000, L"One, two\nthree"}, {2000, 4000, L"Top line", true}}},
        {"ssa field order from its format line",
         L"[Events]\nFormat: Marked, Start, End, Text\nDialogue: Marked=0,0:00:01.00,0:00:02.00,Short\n",
         {{1000, 2000, L"Short"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseSubtitles(c.text), c.cues) << c.name;
}

TEST(Subtitles, OverlappingCuesShowTogether) {
    const auto cues = parseSubtitles(
        L"1\n00:00:01,000 --> 00:00:05,000\nLong\n\n2\n00:00:02,000 --> 00:00:03,000\nShort\n");
    ASSERT_EQ(cues.size(), 2u);
    EXPECT_EQ(cuesAt(cues, 500).size(), 0u);
    ASSERT_EQ(cuesAt(cues, 2500).size(), 2u);
    EXPECT_EQ(cuesAt(cues, 2500)[0]->text, L"Long");
    EXPECT_EQ(cuesAt(cues, 3000).size(), 1u); // the end is exclusive
    EXPECT_EQ(cuesAt(cues, 5000).size(), 0u);
}

// The index a loaded file is searched with gives what the plain search gives,
// for random cue sets: short and long cues, equal starts, nested and
// touching cues, and every moment around their edges.
TEST(Subtitles, TheIndexFindsWhatThePlainSearchFinds) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<Cue> cues;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            Cue cue;
            cue.startMs = static_cast<int>(random() % 10000);
            cue.endMs = cue.startMs + 1 + static_cast<int>(random() % (random() % 4 == 0 ? 10000 : 300));
            cue.text = std::to_wstring(i);
            cues.push_back(cue);
        }
        const engine::CueIndex index(cues);
        ASSERT_EQ(index.size(), cues.size());
        for (int ms = -1; ms <= 20001; ms += 1 + static_cast<int>(random() % 97)) {
            std::vector<std::wstring> plain, indexed;
            for (const Cue* c : cuesAt(cues, ms))
                plain.push_back(c->text);
            for (const Cue* c : index.at(ms))
                indexed.push_back(c->text);
            // The same cues; both in start order (file order among equal starts).
            std::vector<std::wstring> sortedPlain;
            std::vector<const Cue*> byStart = cuesAt(cues, ms);
            std::stable_sort(byStart.begin(), byStart.end(),
                             [](const Cue* a, const Cue* b) { return a->startMs < b->startMs; });
            for (const Cue* c : byStart)
                sortedPlain.push_back(c->text);
            ASSERT_EQ(indexed, sortedPlain) << "round " << round << " at " << ms;
        }
    }
}

TEST(Subtitles, EncodingsWithAndWithoutAMark) {
    const std::wstring film = L"\u7535\u5f71"; // 电影
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"utf-8 with mark", "\xEF\xBB\xBF\xE7\x94\xB5\xE5\xBD\xB1"},
        {"utf-8 without mark", "\xE7\x94\xB5\xE5\xBD\xB1"},
        {"utf-16 le", std::string("\xFF\xFE\x35\x75\x71\x5F", 6)},
        {"utf-16 be", std::string("\xFE\xFF\x75\x35\x5F\x71", 6)},
        {"gbk", "\xB5\xE7\xD3\xB0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeSubtitleBytes(c.bytes), film) << c.name;
    EXPECT_EQ(decodeSubtitleBytes(""), L"");
}

} // namespace

namespace {

TEST(Subtitles, NamesBelongToTheirMovieInPreferenceOrder) {
    struct Case {
        const wchar_t* candidate;
        int rank; // -1: not this movie's
    };
    const wchar_t* movie = L"\u7535\u5f71.mp4"; // 电影.mp4
    const Case cases[] = {
        {L"\u7535\u5f71.chs.srt", 0 * 4 + 0},
        {L"\u7535\u5f71.SC.ASS", 0 * 4 + 1},
        {L"\u7535\u5f71.zh.ssa", 1 * 4 + 2},
        {L"\u7535\u5f71.cht.vtt", 1 * 4 + 3},
        {L"\u7535\u5f71.srt", 2 * 4 + 0},
        {L"\u7535\u5f71.en.srt", 3 * 4 + 0},
        {L"\u7535\u5f71.fr.srt", -1},
        {L"\u7535\u5f71.mp4", -1},
        {L"\u7535\u5f71\u4e8c.srt", -1},
        {L"\u7535.srt", -1},
        {L".srt", -1},
        {L"\u7535\u5f71.chs.txt", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine::subtitleRank(movie, c.candidate), c.rank) << static_cast<int>(&c - cases);
    EXPECT_EQ(
        engine::pickSubtitle(movie, {L"\u7535\u5f71.en.srt", L"\u7535\u5f71.srt", L"\u7535\u5f71.zh.ass",
                                     L"\u7535\u5f71.chs.vtt", L"other.chs.srt"}),
        3);
    EXPECT_EQ(engine::pickSubtitle(L"Movie.Name.2020.mkv", {L"movie.name.2020.EN.srt", L"Movie.Name.srt"}),
              0);
    EXPECT_EQ(engine::pickSubtitle(movie, {}), -1);
}

// Which names in a swarm's list are subtitles, not movies.
TEST(SubtitleNames, SubtitleFilesByExtension) {
    const struct {
        const wchar_t* name;
        bool subtitle;
    } cases[] = {
        {L"\u7b2c\u4e8c\u96c6 \u6d4b\u8bd5\u56fe.chs.srt", true}, // 第二集 测试图.chs.srt
        {L"Movie.EN.SRT", true},
        {L"a.ass", true},
        {L"a.ssa", true},
        {L"a.vtt", true},
        {L"\u7b2c\u4e8c\u96c6.mp4", false},
        {L"movie.srt.mkv", false},
        {L"subs.zip", false},
        {L"readme.txt", false},
        {L".srt", false}, // no name before the extension
        {L"srt", false},
        {L"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::isSubtitleFile(c.name), c.subtitle) << static_cast<int>(&c - cases);
}

} // namespace

namespace {

// The renderer alone, on a flat picture: where the text lands, that it stays
// inside 90 % of the width and four lines, and that a block is rendered once.
TEST(Subtitles, RendererPlacesWrapsAndReusesItsBlocks) {
    const int w = 640, h = 360;
    const uint32_t ground = 0xFF204080u;
    auto whiteRows = [&](const std::vector<uint32_t>& p, int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t c = p[static_cast<size_t>(y) * w + x];
                n += ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) > 200;
            }
        return n;
    };
    const std::vector<engine::Cue> cues =
        engine::parseSubtitles(L"1\n00:00:01,000 --> 00:00:09,000\nBottom text\n\n"
                               L"2\n00:00:01,000 --> 00:00:09,000\n{\\an8}Top text\n\n"
                               L"3\n00:00:10,000 --> 00:00:19,000\n" +
                               std::wstring(60, L'W') + L" " + std::wstring(400, L'\u5b57') + L"\n");
    engine::SubtitleRenderer renderer;
    std::vector<uint32_t> picture(static_cast<size_t>(w) * h, ground);
    const auto both = engine::cuesAt(cues, 2000);
    ASSERT_EQ(both.size(), 2u);
    renderer.draw(picture.data(), w, h, both, 1);
    EXPECT_GT(whiteRows(picture, 0, h / 4), 20) << "the top cue at the top";
    EXPECT_GT(whiteRows(picture, h * 3 / 4, h), 20) << "the bottom cue at the bottom";
    EXPECT_EQ(whiteRows(picture, h / 3, h * 2 / 3), 0) << "nothing in the middle";
    const int rendered = renderer.renders();
    for (int i = 0; i < 30; ++i) {
        std::fill(picture.begin(), picture.end(), ground);
        renderer.draw(picture.data(), w, h, engine::cuesAt(cues, 2000 + i * 33), 1);
    }
    EXPECT_EQ(renderer.renders(), rendered) << "the same cues: blended, not rendered again";
    renderer.draw(picture.data(), w, h, both, 2);
    EXPECT_EQ(renderer.renders(), rendered + 2) << "a newly loaded file renders again";

    // A very long cue wraps inside 90 % of the width and stops at four lines.
    std::fill(picture.begin(), picture.end(), ground);
    renderer.draw(picture.data(), w, h, engine::cuesAt(cues, 12000), 2);
    int left = w, right = 0, top = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (picture[static_cast<size_t>(y) * w + x] != ground) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
            }
    EXPECT_GE(left, w * 5 / 100 - 1);
    EXPECT_LE(right, w * 95 / 100 + 1);
    EXPECT_GT(top, h / 3) << "four lines of a twentieth of the height each, at most";
}

} // namespace
