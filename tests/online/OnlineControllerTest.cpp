// The online features through a real open dialog and a loopback server that
// plays the web index and the resolution servers.
#include "AppOnlineHost.h"
#include "WindowSubclass.h"
#include "LoopbackHttpServer.h"
#include "OnlineController.h"
#include "OpenDialog.h"
#include "PlayerEngine.h"
#include "ProtocolRegistration.h"
#include "RegistryKey.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <random>

using namespace testing_support;
using namespace corvina;

namespace {

// The program's host, with the engine hand-off and the message boxes recorded.
class RecordingHost : public AppOnlineHost {
  public:
    using AppOnlineHost::AppOnlineHost;
    void openStream(const std::string& url, const std::string& cookie) override {
        std::lock_guard lock(mutex);
        opened.emplace_back(url, cookie);
    }
    void setSubtitles(const std::string& url, const std::string& cookie) override {
        std::lock_guard lock(mutex);
        subtitles.emplace_back(url, cookie);
    }
    void showError(const std::string& text) override {
        std::lock_guard lock(mutex);
        errors.push_back(text);
    }
    std::vector<std::pair<std::string, std::string>> subtitlesNow() {
        std::lock_guard lock(mutex);
        return subtitles;
    }
    std::vector<std::pair<std::string, std::string>> openedNow() {
        std::lock_guard lock(mutex);
        return opened;
    }
    std::mutex mutex;
    std::vector<std::pair<std::string, std::string>> opened, subtitles;
    std::vector<std::string> errors;
};

class OnlineTest : public ::testing::Test {
  protected:
    std::map<std::string, std::string> answers; // path -> body
    std::mutex answersMutex;
    LoopbackHttpServer server{[this](const HttpRequestSeen& r) {
        std::lock_guard lock(answersMutex);
        auto it = answers.find(r.target);
        if (it == answers.end())
            return HttpResponse{404, "Not Found", {}, ""};
        return HttpResponse{200, "OK", {}, it->second};
    }};
    TestWindow main{0, 0, 858, 496};
    WindowSubclass mainProc;
    std::string status;
    OpenDialog dialog;
    PlayerEngine engine;
    RecordingHost host{dialog, engine};
    TempFolder folder;
    std::shared_ptr<OnlineController> online;

    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        ASSERT_TRUE(dialog.load(main.hwnd(), {}));
        // The main window shows status texts sent to it, as the program's does.
        mainProc.attach(main.hwnd(), [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == kStatusTextMessage) {
                if (const std::unique_ptr<std::string> text = takeStatusText(l))
                    status = *text;
                return 0;
            }
            return mainProc.callPrevious(h, m, w, l);
        });
        host.attach(main.hwnd());
        const std::string at = "127.0.0.1:" + std::to_string(server.port());
        online = std::make_shared<OnlineController>(host, ServiceEndpoints{at, at, at},
                                                    PlayHistory(folder.path()));
    }
    void answer(const std::string& path, const std::string& body) {
        std::lock_guard lock(answersMutex);
        answers[path] = body;
    }
    std::string statusText() {
        return status; // written on this thread, read between pumps
    }
    std::vector<std::string> paths() {
        std::vector<std::string> out;
        for (const auto& r : server.requests())
            out.push_back(r.target);
        return out;
    }
    static std::string record(const char* index, const char* name, const char* size, const char* sha1) {
        return std::string("{\"index\":") + index + ",\"name\":\"" + name + "\",\"size\":\"" + size +
               "\",\"sha1\":\"" + sha1 + "\"}";
    }
};

TEST_F(OnlineTest, SearchFillsTheListFromTheIndexPage) {
    struct Case {
        const char* what;
        std::string page;
        std::vector<std::vector<std::string>> rows;
        bool noResourcesBox;
    } cases[] = {
        {"two arrays",
         "[" + record("0", "a.mkv", "1 GB", "S1") + "]x[" + record("1", "\\u7535\\u5f71.mkv", "2 MB", "S2") +
             "]",
         {{"0", "a.mkv", "1 GB", "S1"}, {"1", "电影.mkv", "2 MB", "S2"}},
         false},
        {"one array, two objects",
         "[" + record("0", "a", "1", "S1") + "," + record("1", "b", "2", "S2") + "]",
         {{"0", "a", "1", "S1\"},{\"index\":1,\"name\":\"b\",\"size\":\"2\",\"sha1\":\"S2"}},
         false},
        {"upper-case names, quoted index",
         "[{\"INDEX\":\"3\",\"NAME\":\"x\",\"SIZE\":\"9\",\"SHA1\":\"S\"}]",
         {{"\"3\"", "x", "9", "S"}},
         false},
        {"no match", "{\"error\":\"none\"}", {}, true},
    };
    for (const Case& c : cases) {
        answer("/info_hash/33/49/ABC", c.page);
        host.errors.clear();
        dialog.setText(kHashEdit, "abc");
        online->startSearch(); // upper-cases only 40-character hashes: "abc" stays
        answer("/info_hash/33/49/abc", c.page);
        ASSERT_TRUE(waitFor([&] { return statusText() == kFoundStatus; })) << c.what;
        ASSERT_EQ(dialog.rowCount(), static_cast<int>(c.rows.size())) << c.what;
        for (size_t r = 0; r < c.rows.size(); ++r)
            for (int col = 0; col < 4; ++col)
                EXPECT_EQ(dialog.cell(static_cast<int>(r), col), c.rows[r][static_cast<size_t>(col)])
                    << c.what;
        EXPECT_EQ(host.errors,
                  c.noResourcesBox ? std::vector<std::string>{kNoResources} : std::vector<std::string>{})
            << c.what;
        host.setStatus("");
    }
}

TEST_F(OnlineTest, UnreachableIndexKeepsSearchingStatusAndTheHashIsEscaped) {
    dialog.setText(kHashEdit, "a b#c");
    online->startSearch();
    ASSERT_TRUE(waitFor([&] { return paths().size() == 1 && statusText() == kSearchingStatus; }));
    pumpMessages(300);
    EXPECT_EQ(statusText(), kSearchingStatus);
    EXPECT_EQ(dialog.rowCount(), 0);
    EXPECT_EQ(paths()[0], "/info_hash/33/49/a%20b%23c");
}

TEST_F(OnlineTest, AlternativePathPlaysTheCodeAnswer) {
    struct Case {
        const char* what;
        const char* answer;
        std::vector<std::pair<std::string, std::string>> opened;
        std::vector<std::string> errors;
    } cases[] = {
        {"one entry", "xx code:http://h/a.mp4#cookie:K1| yy", {{"http://h/a.mp4", "FTN5K=K1"}}, {}},
        {"kept escaped",
         "code:http://h/a\\u0026b%26c#cookie:K|",
         {{"http://h/a\\u0026b%26c", "FTN5K=K"}},
         {}},
        {"two entries: the second", "code:u1#cookie:k1|CODE:u2#cookie:k2|", {{"u2", "FTN5K=k2"}}, {}},
        {"Error", "code:Error#cookie:|", {}, {}},
        {"no code", "nothing here", {}, {kStillParsing}},
    };
    dialog.appendRow();
    dialog.setCell(0, 0, "0");
    dialog.setCell(0, 3, "SHA 1");
    dialog.selectRow(0);
    for (const Case& c : cases) {
        answer("/code.php/?sha1=SHA%201", c.answer);
        host.opened.clear();
        host.errors.clear();
        online->resolveByAltServer();
        EXPECT_EQ(host.opened, c.opened) << c.what;
        EXPECT_EQ(host.errors, c.errors) << c.what;
    }
    // With no row selected the request goes out with an empty sha1.
    dialog.selectRow(-1);
    online->resolveByAltServer();
    EXPECT_EQ(paths().back(), "/code.php/?sha1=");
}

// The code-answer parser runs on the platform's scripting regular expressions,
// which no native fuzzer can drive: mangled answers made from seeds by a fixed
// random sequence go through it here instead. Nothing may crash or hang, and
// whatever it takes from an answer is text of that answer (as characters).
TEST_F(OnlineTest, CodeAnswerParserHoldsOnMangledAnswers) {
    const std::string seeds[] = {"code:http://h/a.mp4#cookie:K1|",
                                 "xx code:u1#cookie:k1|CODE:u2#cookie:k2| yy", "code:Error#cookie:|",
                                 "\xB5\xE7"
                                 "code:\xD3\xB0#cookie:\x81|"};
    const std::string pieces[] = {
        "|",    "#",  ":", "code:", "#cookie:",           "ode:", "\x81", std::string(1, '\0'),
        "\r\n", "\\", "(", "*",     std::string(300, 'x')};
    std::mt19937 random(20261210);
    auto lower = [](std::string t) {
        for (char& c : t)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return t;
    };
    for (int round = 0; round < 400; ++round) {
        std::string answer = seeds[random() % std::size(seeds)];
        for (int edits = 1 + static_cast<int>(random() % 6); edits > 0; --edits) {
            const size_t at = answer.empty() ? 0 : random() % answer.size();
            switch (random() % 4) {
            case 0:
                answer.insert(at, pieces[random() % std::size(pieces)]);
                break;
            case 1:
                answer.erase(at, 1 + random() % 4);
                break;
            case 2:
                if (!answer.empty())
                    answer[at] = static_cast<char>(random());
                break;
            default:
                answer += answer.substr(0, std::min<size_t>(answer.size(), 20000));
                break; // longer and longer
            }
        }
        host.errors.clear();
        const int count = online->parseCodeAnswer(answer);
        ASSERT_GE(count, 0);
        if (count == 0) {
            EXPECT_EQ(host.errors.size(), 1u) << round;
            continue;
        }
        const std::string folded = lower(wideToGbk(gbkToWide(answer)));
        size_t codes = 0;
        for (size_t at = folded.find("ode:"); at != std::string::npos; at = folded.find("ode:", at + 1))
            ++codes;
        EXPECT_LE(static_cast<size_t>(count), codes) << round;
        const std::string cookie = online->resolvedCookie();
        ASSERT_EQ(cookie.rfind("FTN5K=", 0), 0u) << round;
        // The answer as the scripting engine reads it: characters, where a
        // broken GBK pair has become one default character.
        const std::string read = wideToGbk(gbkToWide(answer));
        EXPECT_NE(read.find(online->resolvedUrl()), std::string::npos) << round;
        EXPECT_NE(read.find(cookie.substr(6)), std::string::npos) << round;
    }
}

TEST_F(OnlineTest, MainPathResolvesPlaysAndRecords) {
    dialog.setText(kHashEdit, "HASHTEXT");
    dialog.appendRow();
    dialog.setCell(0, 0, "7");
    dialog.setCell(0, 1, "电影 1.mkv");
    dialog.setCell(0, 2, "1 GB");
    dialog.selectRow(0);
    ShowWindow(dialog.hwnd(), SW_SHOWNOACTIVATE);
    answer("/fx.php?hash=%B5%E7%D3%B0%201.mkv&index=1%20GB", "{\"file_hash\" : \"F1\"}");
    answer("/code.php?sha1=F1", "code:http:\\/\\/h\\/a\\u0026b%26c#cookie:FTN5K=secret|");
    online->playSelectedRow();
    ASSERT_TRUE(waitFor([&] { return !host.openedNow().empty() && !IsWindowVisible(dialog.hwnd()); }));
    EXPECT_EQ(host.openedNow()[0],
              std::make_pair(std::string("http://h/a&b&c"), std::string("FTN5K=secret")));
    EXPECT_TRUE(waitFor([&] { return statusText() == "7"; })); // the row's 序号
    EXPECT_TRUE(IsWindowEnabled(dialog.control(kResultList)));
    EXPECT_EQ(online->listIndex(), 0);
    EXPECT_EQ(online->history().movieTitle(), "7");
    EXPECT_EQ(online->history().movieHash(), "HASHTEXT");

    // An answer without blanks round the colon gives an empty F; nothing stops.
    answer("/fx.php?hash=%B5%E7%D3%B0%201.mkv&index=1%20GB", "{\"file_hash\":\"F1\"}");
    host.opened.clear();
    online->resolveSelectedRow();
    EXPECT_EQ(paths().back(), "/code.php?sha1=");
    EXPECT_EQ(host.openedNow(), (std::vector<std::pair<std::string, std::string>>{{"", ""}}));

    // "Error": nothing opened, the status line says so.
    answer("/fx.php?hash=%B5%E7%D3%B0%201.mkv&index=1%20GB", "{\"file_hash\" : \"F1\"}");
    answer("/code.php?sha1=F1", "code:Error#cookie:x|");
    host.opened.clear();
    online->resolveSelectedRow();
    EXPECT_TRUE(host.openedNow().empty());
    EXPECT_TRUE(waitFor([&] { return statusText() == kServerErrorStatus; }));
}

// A swarm's subtitle file for the movie that plays is resolved the way the
// movie was and goes to the engine with its own address and cookie.
TEST_F(OnlineTest, TheMoviesSubtitleRowIsResolvedTheSameWay) {
    const char* rows[][4] = {{"0", "电影 1.mkv", "1 GB", "M"},
                             {"1", "电影 1.en.srt", "1 KB", "E"},
                             {"2", "电影 1.chs.srt", "2 KB", "C"},
                             {"3", "电影 2.chs.srt", "3 KB", "O"}};
    for (const auto& row : rows) {
        const int r = dialog.appendRow();
        for (int col = 0; col < 4; ++col)
            dialog.setCell(r, col, row[col]);
    }
    dialog.selectRow(0);

    // The main path: fx and code for the movie, then for its simplified-Chinese subtitles.
    answer("/fx.php?hash=%B5%E7%D3%B0%201.mkv&index=1%20GB", "{\"file_hash\" : \"F1\"}");
    answer("/code.php?sha1=F1", "code:http://h/movie#cookie:FTN5K=m|");
    answer("/fx.php?hash=%B5%E7%D3%B0%201.chs.srt&index=2%20KB", "{\"file_hash\" : \"F2\"}");
    answer("/code.php?sha1=F2", "code:http:\\/\\/h\\/sub#cookie:FTN5K=s|");
    online->playSelectedRow();
    ASSERT_TRUE(waitFor([&] { return !host.subtitlesNow().empty(); }));
    EXPECT_EQ(host.openedNow()[0], std::make_pair(std::string("http://h/movie"), std::string("FTN5K=m")));
    EXPECT_EQ(host.subtitlesNow()[0], std::make_pair(std::string("http://h/sub"), std::string("FTN5K=s")));

    // The alternative server: the subtitle row's sha1, the answer's cookie with FTN5K=.
    host.opened.clear();
    host.subtitles.clear();
    answer("/code.php/?sha1=M", "code:http://h/movie2#cookie:K1|");
    answer("/code.php/?sha1=C", "code:http://h/sub2#cookie:K2|");
    online->resolveByAltServer();
    EXPECT_EQ(host.openedNow()[0], std::make_pair(std::string("http://h/movie2"), std::string("FTN5K=K1")));
    ASSERT_TRUE(waitFor([&] { return !host.subtitlesNow().empty(); }));
    EXPECT_EQ(host.subtitlesNow()[0], std::make_pair(std::string("http://h/sub2"), std::string("FTN5K=K2")));

    // A movie without subtitle rows asks for nothing more; a subtitle that does not resolve is left out.
    host.subtitles.clear();
    dialog.setCell(0, 1, "另一部.mkv");
    answer("/fx.php?hash=%C1%ED%D2%BB%B2%BF.mkv&index=1%20GB", "{\"file_hash\" : \"F1\"}");
    const size_t before = paths().size();
    online->resolveSelectedRow();
    EXPECT_EQ(paths().size(), before + 2);
    dialog.setCell(0, 1, "电影 1.mkv");
    answer("/code.php?sha1=F2", "code:Error#cookie:|");
    online->resolveSelectedRow();
    EXPECT_TRUE(host.subtitlesNow().empty());
}

// A subtitle row is not a movie: chosen with nothing playing it asks for
// nothing; chosen while a movie of the list plays, it is resolved and handed
// to the engine as that movie's subtitles, and the movie plays on.
TEST_F(OnlineTest, ASubtitleRowChosenBecomesThePlayingMoviesSubtitles) {
    const char* rows[][4] = {{"0", "电影 1.mkv", "1 GB", "M"}, {"1", "另一部.chs.srt", "2 KB", "C"}};
    for (const auto& row : rows) {
        const int r = dialog.appendRow();
        for (int col = 0; col < 4; ++col)
            dialog.setCell(r, col, row[col]);
    }
    dialog.selectRow(1);
    online->playSelectedRow();
    pumpMessages(300);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(online->listIndex(), 0);

    answer("/fx.php?hash=%B5%E7%D3%B0%201.mkv&index=1%20GB", "{\"file_hash\" : \"F1\"}");
    answer("/code.php?sha1=F1", "code:http://h/movie#cookie:FTN5K=m|");
    answer("/fx.php?hash=%C1%ED%D2%BB%B2%BF.chs.srt&index=2%20KB", "{\"file_hash\" : \"F2\"}");
    answer("/code.php?sha1=F2", "code:http://h/sub#cookie:FTN5K=s|");
    dialog.selectRow(0);
    online->playSelectedRow();
    ASSERT_TRUE(waitFor([&] { return host.openedNow().size() == 1; }));
    pumpMessages(300);
    EXPECT_TRUE(host.subtitlesNow().empty()); // not this movie's by name

    dialog.selectRow(1);
    online->playSelectedRow();
    ASSERT_TRUE(waitFor([&] { return !host.subtitlesNow().empty(); }));
    EXPECT_EQ(host.subtitlesNow()[0], std::make_pair(std::string("http://h/sub"), std::string("FTN5K=s")));
    EXPECT_EQ(host.openedNow().size(), 1u);
    EXPECT_EQ(online->listIndex(), 0);
}

TEST_F(OnlineTest, PlaySelectedRowNeedsASelection) {
    dialog.appendRow();
    dialog.selectRow(-1);
    online->playSelectedRow();
    pumpMessages(300);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(OnlineTest, HistoryAndResume) {
    const PlayHistory& history = online->history();
    EXPECT_EQ(history.movieTitle(), ""); // no file yet
    EXPECT_EQ(history.savedPosition(), 0);
    online->playStream("Error", "");
    EXPECT_EQ(online->pendingStatus(), kServerErrorStatus);
    EXPECT_TRUE(host.openedNow().empty());
    EXPECT_EQ(history.movieHash(), OpenDialog::kSampleHash); // recorded also for "Error"
    online->playStream("C:\\a.mp4", "");
    EXPECT_EQ(host.openedNow().back().first, "C:\\a.mp4");

    history.savePosition(1234);
    WritePrivateProfileStringW(L"\x6700\x540e\x64ad\x653e", L"\x64ad\x653e\x8fdb\x5ea6", L"abc",
                               (folder.path() + L"/data.ini").c_str());
    EXPECT_EQ(history.savedPosition(), 0); // no number: position 0

    // Continue with a lower-case hash; two rows share the 序号: the first wins.
    const std::string lower = "6a9759bffd5c0af65319979fb7832189f4f3c35d";
    history.recordLastMovie("5", "magnet:?xt=urn:btih:" + lower);
    history.savePosition(2500);
    answer("/info_hash/33/49/6A9759BFFD5C0AF65319979FB7832189F4F3C35D",
           "[" + record("5", "first", "1", "S1") + "][" + record("5", "second", "2", "S2") + "]");
    answer("/fx.php?hash=first&index=1", "{\"file_hash\" : \"F1\"}");
    answer("/code.php?sha1=F1", "code:http://h/x.mp4#cookie:c|");
    host.opened.clear();
    ShowWindow(dialog.hwnd(), SW_SHOWNOACTIVATE);
    online->continueLastPlayback();
    EXPECT_EQ(online->currentInfoHash(), "6A9759BFFD5C0AF65319979FB7832189F4F3C35D");
    EXPECT_EQ(dialog.text(kHashEdit), "magnet:?xt=urn:btih:" + lower);
    EXPECT_EQ(dialog.selectedRow(), 0);
    EXPECT_TRUE(IsWindowEnabled(dialog.control(kSearchButton)));
    EXPECT_TRUE(online->resumePending());
    // The resolution's worker ends by hiding the dialog.
    ASSERT_TRUE(waitFor([&] { return !host.openedNow().empty() && !IsWindowVisible(dialog.hwnd()); }));
    EXPECT_EQ(host.openedNow().back().first, "http://h/x.mp4");
    EXPECT_TRUE(waitFor([&] { return statusText() == "5"; }));

    // The state timer: nothing while not playing; the first playing tick
    // resumes and writes nothing, the next one writes the position.
    EXPECT_EQ(online->stateTick(2, 100), -1);
    EXPECT_EQ(online->stateTick(5, 100), 2500);
    EXPECT_EQ(history.savedPosition(), 2500);
    EXPECT_EQ(online->stateTick(5, 2600), -1);
    EXPECT_EQ(history.savedPosition(), 2600);
}

TEST(ProtocolRegistration, WritesTheFourValuesWithTheProgramPath) {
    struct Expected {
        const char* key;
        const char* name;
        std::string data;
    };
    for (const std::string& path :
         {std::string("C:\\Program Files\\Corvina\\Corvina.exe"), std::string("D:\\x\\y.exe")}) {
        ASSERT_NE(registerProtocol(path), ProtocolRegistered::Failed);
        const Expected values[] = {
            {"velmarino", "", "velmarinoProtocol"},
            {"velmarino", "URL Protocol", path},
            {"velmarino\\DefaultIcon", "", path + ",1"},
            {"velmarino\\shell\\open\\command", "", "\"" + path + "\" \"%1\""},
        };
        for (const Expected& v : values) {
            char data[1024] = {};
            DWORD size = sizeof data, type = 0;
            ASSERT_EQ(RegGetValueA(HKEY_CLASSES_ROOT, v.key, v.name, RRF_RT_REG_SZ, &type, data, &size),
                      ERROR_SUCCESS)
                << v.key;
            EXPECT_EQ(std::string(data), v.data) << v.key;
        }
    }
}

} // namespace
