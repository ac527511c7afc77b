#include "LaunchArguments.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(LaunchArguments, SplitsAtSpacesWithQuotesKeepingThem) {
    struct Case {
        const char* text;
        Args args;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"a b", {"a", "b"}},
        {"  a   b  ", {"a", "b"}},
        {"\"a b\" c", {"a b", "c"}},
        {"velmarino://x/?hash=ABC", {"velmarino://x/?hash=ABC"}},
        {"\"\"", {""}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"unclosed quote", {"unclosed quote"}},
        {"电影 名称", {"电影", "名称"}},
        {"\"电影 名称\"", {"电影 名称"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(corvina::splitArguments(c.text), c.args) << c.text;
}

TEST(LaunchArguments, NeverSplitsADoubleByteCharacter) {
    // "\x81\x20" is not a valid pair, but a lead byte must still take the
    // following byte with it; and a trail byte equal to '"' (0x22 is not a
    // valid trail, yet) must not open a quote.
    EXPECT_EQ(corvina::splitArguments("\x81\x20x y"), (Args{"\x81\x20x", "y"}));
    EXPECT_EQ(corvina::splitArguments("\x81\x22 y"), (Args{"\x81\x22", "y"}));
}

TEST(LaunchArguments, TextAfterProgramName) {
    struct Case {
        const char* line;
        const char* rest;
    } cases[] = {
        {"\"C:\\Program Files\\Corvina.exe\" a b", " a b"},
        {"Corvina.exe a", " a"},
        {"Corvina.exe", ""},
        {"\"C:\\x y\\Corvina.exe\"", ""},
        {"  Corvina.exe  x", "  x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(corvina::textAfterProgramName(c.line), c.rest) << c.line;
}

} // namespace
