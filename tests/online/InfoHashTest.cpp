#include "InfoHash.h"

#include <gtest/gtest.h>

namespace {

using namespace corvina;
const std::string kLower = "6a9759bffd5c0af65319979fb7832189f4f3c35d";
const std::string kUpper = "6A9759BFFD5C0AF65319979FB7832189F4F3C35D";

TEST(InfoHash, FromTheHashField) {
    struct Case {
        std::string typed;
        std::string hash;
    } cases[] = {
        {"  " + kLower + " ", kUpper},
        {"magnet:?xt=urn:btih:abcd&dn=x", "abcd"},
        {"magnet:?xt=urn:btih:abcd", "abcd"},
        {" magnet:?xt=urn:BTIH:abcd ", " magnet:?xt=urn:BTIH:abcd "}, // not recognised: untrimmed, as typed
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ234567", "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"},
        {"abcdefghijklmnopqrstuvwxyz234567", "abcdefghijklmnopqrstuvwxyz234567"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hashFromField(c.typed), c.hash) << c.typed;
    EXPECT_EQ(hashFromMagnet(kUpper), kUpper);
    EXPECT_EQ(hashFromMagnet("magnet:?xt=urn:btih:" + kLower + "&dn=a"), kLower);
}

TEST(InfoHash, TextAfterLastAndLaunchLinks) {
    EXPECT_EQ(textAfterLast("a/?hash=ABC/?hash=DEF", "/?hash="), "DEF");
    EXPECT_EQ(textAfterLast("a/?hash=", "/?hash="), ""); // nothing after it
    EXPECT_EQ(textAfterLast("x/?hash=A/?hash=", "/?hash="), "A/?hash=");
    EXPECT_EQ(textAfterLast("none", "/?hash="), "");
    EXPECT_EQ(hashFromLaunchArgument("velmarino://x/?hash=ABC/?hash=DEF"), "DEF");
    EXPECT_EQ(hashFromLaunchArgument("velmarino://x/?hash=magnet:?xt=urn:btih:" + kUpper + "&dn=x"), kUpper);
    EXPECT_EQ(hashFromLaunchArgument("C:\\movies\\a.mp4"), "");
}

TEST(InfoHash, PercentEncodingLeavesPlainValuesAlone) {
    struct Case {
        std::string value;
        std::string encoded;
    } cases[] = {
        {kUpper, kUpper},
        {"1.25 MB", "1.25%20MB"},
        {"a#b?c&d=e", "a%23b%3Fc%26d%3De"},
        {"line\r\nbreak", "line%0D%0Abreak"},
        {"电影", "%B5%E7%D3%B0"},
        {"-._~", "-._~"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(percentEncode(c.value), c.encoded) << c.value;
}

} // namespace
