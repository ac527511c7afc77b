#include "ClockText.h"
#include "EngineConfig.h"

#include <gtest/gtest.h>

namespace {

TEST(ClockText, FollowsTheClockRule) {
    struct Case {
        int ms;
        const char* text;
    } cases[] = {
        {0, "0:0:0"},         {999, "0:0:0"},         {65'000, "0:1:5"},        {3'599'999, "0:59:59"},
        {3'600'000, "1:0:0"}, {5'025'000, "1:23:45"}, {86'399'000, "23:59:59"}, {360'000'000, "100:0:0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(corvina::clockText(c.ms), c.text) << c.ms;
}

TEST(EngineConfigNumber, ReadsARealAndTruncatesTowardZero) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"12", 12},
        {"12.9", 12},
        {"-3.7", -3},
        {"abc", 0},
        {"", 0},
        {"1e3", 1000},
        {"7x", 7},
        {" 42", 42},
        {"0.5", 0},
        {"-0.9", 0},
        {"99999999999", 2147483647},
    };
    for (const Case& c : cases)
        EXPECT_EQ(corvina::EngineConfig::parseNumber(c.text), c.value) << c.text;
}

} // namespace
