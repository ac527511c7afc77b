#include "Dispatch.h"
#include "TextCodec.h"
#include "TextRules.h"

#include <objbase.h>

#include <gtest/gtest.h>

namespace {

using namespace corvina;

TEST(TextCodec, UnescapeText) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"\\u7535\\u5f71.mkv", "电影.mkv"},
        {"http:\\/\\/h\\/a%26b", "http://h/a&b"},
        {"it's", "it's"},
        {"\xA1\xAF", "'"}, // a right single quotation mark comes back as an apostrophe
        {"a{$}b", "a\r\nb"},
        {"line1\r\nline2\r\nline3", "line1\r\nline2\r\nline3"},
        {"", ""},
        {"%u0026%41", "&A"},
        {"100%", "100%"},
        {"%zz%u12", "%zz%u12"},
        {"tab\\there", "tab\there"},
        {"x\\y", "xy"},
        {"\\x41\\101", "AA"},
        {"\\xZ1", "\\xZ1"},
        {"trailing\\", "trailing\\"},     // breaks the literal: the built-in decoder's result
        {"lone\nfeed%41", "lone\nfeedA"}, // likewise
        {"\rstart", "start"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(unescapeText(c.in), c.out) << c.in;
}

TEST(TextCodec, HexAndUtf16) {
    EXPECT_EQ(hexToInt("ff"), 255);
    EXPECT_EQ(hexToInt("7FFFFFFF"), 2147483647);
    EXPECT_EQ(hexToInt(""), 0);
    EXPECT_EQ(hexToInt(std::string(17, 'F')), -1); // wraps around, no overflow
    EXPECT_EQ(utf16ToGbk({0x35, 0x75, 0x71, 0x5F}), "电影");
    EXPECT_EQ(utf16ToGbk({0x41}), ""); // an odd byte is dropped
    EXPECT_EQ(builtInDecode("%u7535%u5f71%20x"), "电影 x");
}

// The script the old decoder ran, evaluated by the real script engine.
class ScriptEngine {
  public:
    ScriptEngine() : com_(CoInitialize(nullptr)), script_(Dispatch::create(L"ScriptControl")) {
        if (script_)
            script_.put(L"Language", Variant::text("JScript"));
    }
    ~ScriptEngine() {
        script_ = Dispatch();
        if (SUCCEEDED(com_))
            CoUninitialize();
    }
    explicit operator bool() const { return static_cast<bool>(script_); }
    // The old decoder's steps 5 to 7 on prepared text t.
    std::string run(const std::string& t) {
        Variant ignored, result;
        if (!script_.call(L"ExecuteStatement", ignored,
                          {Variant::text("function xx(){var x='" + t + "';return unescape(x);}")}))
            return builtInDecode(t);
        SAFEARRAY* none = SafeArrayCreateVector(VT_VARIANT, 0, 0);
        Variant params;
        params.get()->vt = VT_ARRAY | VT_VARIANT;
        params.get()->parray = none;
        if (!script_.call(L"Run", result, {Variant::text("xx"), params}))
            return builtInDecode(t);
        std::string r = result.asText();
        const size_t zero = r.find('\0');
        if (zero != std::string::npos)
            r.resize(zero);
        return r.empty() ? builtInDecode(t) : r;
    }

  private:
    HRESULT com_;
    Dispatch script_;
};

TEST(TextCodec, NativeDecoderMatchesTheScriptEngine) {
    ScriptEngine engine;
    ASSERT_TRUE(engine) << "ScriptControl is not available";
    const char* inputs[] = {
        "\\u7535\\u5f71.mkv",
        "http:\\/\\/h\\/a%26b",
        "it's",
        "\xA1\xAF",
        "a{$}b",
        "l1\r\nl2",
        "",
        "%u0026%41",
        "100%",
        "%zz%u12",
        "tab\\there",
        "x\\y",
        "\\x41\\101",
        "trailing\\",
        "lone\nfeed%41",
        "\rstart",
        "quote\"inside",
        "back\\\\slash",
        "\\\\u0041",
        "\\'",
        "odd\\%41",
        "\\u12",
        "\\xZ1",
        "%u00e9t",
        "\\v\\q",
        "\\0end",
        "\\12345",
        "\\8\\9",
        "{$}{$}",
        "电影\\n名称",
        "%E7%94%B5",
        "\\/\\/\\/",
        "\\\r\nx",
        "mid\rcr",
        "%%41",
        "%u%41",
        "a\\bb\\fc\\vd\\re",
    };
    for (const char* in : inputs) {
        const std::string t = prepareForLiteral(in);
        std::string expected = engine.run(t);
        // The decoder's last step, as both paths share it.
        std::string native = unescapeText(in);
        const std::string reference = replaceAll(replaceAll(expected, "\xA1\xAF", "'"), "{$}", "\r\n");
        EXPECT_EQ(native, reference) << "input: " << in;
    }
}

} // namespace
