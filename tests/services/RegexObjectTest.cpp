#include "RegexObject.h"

#include <gtest/gtest.h>

namespace {

using corvina::RegexObject;

TEST(RegexObject, MatchesAndGroups) {
    RegexObject re;
    ASSERT_TRUE(re.execute("ode:(.*?)\\#cookie:(.*?)\\|", "code:u1#cookie:k1|CODE:u2#cookie:k2|", false,
                           false, true, true));
    EXPECT_EQ(re.matchCount(), 2); // ignores case by default: "CODE" matches too
    EXPECT_EQ(re.matchText(1), "ode:u1#cookie:k1|");
    EXPECT_EQ(re.subMatchText(2, 1), "u2");
    EXPECT_EQ(re.subMatchText(2, 2), "k2");
    EXPECT_EQ(re.subMatchCount(), 2);
    EXPECT_EQ(re.subMatchText(1, 5), ""); // no such group
    EXPECT_EQ(re.matchText(3), "");       // no such match
    EXPECT_EQ(re.subMatchText(0, 1), "");
    EXPECT_EQ(re.pattern(), "ode:(.*?)\\#cookie:(.*?)\\|");
}

TEST(RegexObject, NoMatchInvalidPatternAndOptions) {
    RegexObject re;
    EXPECT_TRUE(re.execute("zzz", "abc"));
    EXPECT_EQ(re.matchCount(), 0);
    RegexObject invalid;
    EXPECT_FALSE(invalid.execute("(unclosed", "abc"));
    EXPECT_EQ(invalid.matchCount(), 0);
    RegexObject sensitive;
    ASSERT_TRUE(sensitive.execute("a", "aAa", true));
    EXPECT_EQ(sensitive.matchCount(), 2);
    RegexObject first;
    ASSERT_TRUE(first.execute("a", "aAa", false, true, false));
    EXPECT_EQ(first.matchCount(), 1);
}

TEST(RegexObject, QuoteTokenAndChineseSubjects) {
    RegexObject re;
    ASSERT_TRUE(re.execute("#引号a#引号", "x\"a\"y", false, true, true, true));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.matchText(1), "\"a\"");
    RegexObject literal;
    ASSERT_TRUE(literal.execute("#引号a#引号", "x\"a\"y"));
    EXPECT_EQ(literal.matchCount(), 0); // without the token rule, the text is matched as written
    RegexObject chinese;
    ASSERT_TRUE(chinese.execute(".{2}", "电影名称"));
    EXPECT_EQ(chinese.matchText(1), "电影"); // characters, not bytes
    EXPECT_EQ(chinese.matchCount(), 2);
    RegexObject replaced;
    ASSERT_TRUE(replaced.execute("(\\d+)", "a1b22"));
    EXPECT_EQ(replaced.replace("<$1>"), "a<1>b<22>");
}

TEST(RegexObject, IndexPageShape) {
    const char* pattern =
        "\\[{#引号index#引号:(.*?),#引号name#引号:#引号(.*?)#引号,#引号size#引号:#引号(.*?)#引号,"
        "#引号sha1#引号:#引号(.*?)#引号}\\]";
    RegexObject re;
    ASSERT_TRUE(re.execute(pattern,
                           "[{\"index\":0,\"name\":\"a.mkv\",\"size\":\"1 GB\",\"sha1\":\"S1\"}]"
                           "[{\"INDEX\":\"3\",\"name\":\"\\u7535.mkv\",\"size\":\"2 MB\",\"sha1\":\"S2\"}]",
                           false, false, true, true));
    ASSERT_EQ(re.matchCount(), 2);
    EXPECT_EQ(re.subMatchText(1, 1), "0");
    EXPECT_EQ(re.subMatchText(2, 1), "\"3\"");
    EXPECT_EQ(re.subMatchText(2, 2), "\\u7535.mkv");
    EXPECT_EQ(re.subMatchText(2, 4), "S2");
    RegexObject copy(re);
    EXPECT_EQ(copy.matchCount(), 2);
}

} // namespace
