#include "TextRules.h"

#include <gtest/gtest.h>

namespace {

using namespace corvina;

TEST(TextRules, TextBetween) {
    struct Case {
        const char* text;
        const char* start;
        const char* end;
        int startPos;
        bool ignoreCase;
        const char* result;
    } cases[] = {
        {"x\"y\"z", "#引号", "#引号", 1, false, "y"},
        {"code:http://h/a.mp4#cookie:abc|", "code:", "#cookie:", 1, false, "http://h/a.mp4"},
        {"code:u#cookie:abc|", "#cookie:", "|", 1, false, "abc"},
        {"no start here", "code:", "|", 1, false, ""},
        {"code:no end", "code:", "|", 1, false, ""},
        {"a[1]b[2]", "[", "]", 4, false, "2"},
        {"CODE:x|", "code:", "|", 1, true, "x"},
        {"CODE:x|", "code:", "|", 1, false, ""},
        {"\"file_hash\" : \"F00\"", "\"file_hash\" : \"", "\"", 1, false, "F00"},
        {"\"file_hash\":\"F00\"", "\"file_hash\" : \"", "\"", 1, false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(textBetween(c.text, c.start, c.end, c.startPos, c.ignoreCase), c.result) << c.text;
}

TEST(TextRules, UrlParts) {
    struct Case {
        const char* url;
        const char* host;
        int port;
        const char* path;
    } cases[] = {
        {"HTTPS://Host/x", "host", 443, "/x"},
        {"host.example/a?b=1", "host.example", 80, "/a?b=1"},
        {"http://Host:88/fx.php?hash=AB", "host", 88, "/fx.php?hash=AB"},
        {"http://host", "host", 80, "/"},
        {"https://h:8443/p", "h", 8443, "/p"},
        {"http://127.0.0.1:8830/info_hash/33/49/ABC", "127.0.0.1", 8830, "/info_hash/33/49/ABC"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(urlHost(c.url), c.host) << c.url;
        EXPECT_EQ(urlPort(c.url), c.port) << c.url;
        EXPECT_EQ(urlPath(c.url), c.path) << c.url;
    }
    EXPECT_EQ(urlHost("http://Host:88/x", true), "host:88");
}

TEST(TextRules, CookieMerging) {
    struct Case {
        const char* old;
        const char* incoming;
        const char* merged;
    } cases[] = {
        {"a=1; b=2", "b=3; c=deleted", "b=3; a=1"},
        {"a=1; a=1", "", "a=1"},
        {"", "p=5; q=9", "p=5; q=9"},
        {"x = 1", "y=2", "y=2; x=1"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        std::string cookies = c.old, incoming = c.incoming;
        EXPECT_EQ(mergeCookies(cookies, incoming), c.merged) << c.old << " + " << c.incoming;
        EXPECT_EQ(cookies, c.merged);
    }
    EXPECT_EQ(cookieName(" sid =abc"), "sid");
    EXPECT_EQ(cookieName("flag"), "flag");
    EXPECT_EQ(joinUnique("a; b; a; c; b", "; "), "a; b; c");
}

TEST(TextRules, BlanksAndCaseRespectDoubleByteCharacters) {
    EXPECT_EQ(trimBlanks("\xA1\xA1  电影 \xA1\xA1 "), "电影");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t"); // tabs are not blanks
    EXPECT_EQ(removeBlanks("a \xA1\xA1 b"), "ab");
    // 0x81 0x41 is one character whose trail byte looks like 'A'.
    EXPECT_EQ(lowerAscii("AB\x81\x41Z"), "ab\x81\x41z");
    EXPECT_EQ(upperAscii("ab\x81\x61z"), "AB\x81\x61Z");
    // A search never matches from inside a double-byte character.
    EXPECT_EQ(findText("\x81\x41"
                       "A",
                       "A"),
              2u);
    EXPECT_EQ(findNoCase("xxUser-Agent: y", "user-agent:"), 2u);
    EXPECT_EQ(replaceAll("a#引号b", kQuoteToken, "\""), "a\"b");
}

} // namespace

namespace {

// Found by fuzzing: an empty separator matched at the same place forever.
TEST(TextRules, SplittingAtAnEmptySeparatorGivesTheWholeText) {
    EXPECT_EQ(corvina::splitText("a;b", ""), std::vector<std::string>{"a;b"});
    EXPECT_EQ(corvina::joinUnique("a;b", ""), "a;b");
    EXPECT_EQ(corvina::splitText("a;b;a", ";"), (std::vector<std::string>{"a", "b", "a"}));
}

} // namespace
