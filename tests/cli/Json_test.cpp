// The JSON reader of the pack descriptions and the quoting of inspect's output.

#include "cli/Json.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantrel::cli;

namespace {

TEST(CliJson, ReadsADocumentWithEveryKindOfValue) {
    JsonValue v;
    std::string error;
    ASSERT_TRUE(ParseJson(
        R"( {"a": [1, -2.5e3, true, false, null], "b": {"c": "x\"\\\/\n\u00e9\ud83d\ude00"}} )", v,
        error))
        << error;
    ASSERT_EQ(v.type, JsonValue::Type::Object);
    const JsonValue* a = v.Find("a");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->items.size(), 5u);
    uint64_t n = 0;
    EXPECT_TRUE(a->items[0].AsUnsigned(n));
    EXPECT_EQ(n, 1u);
    EXPECT_FALSE(a->items[1].AsUnsigned(n));  // negative, and not whole
    EXPECT_TRUE(a->items[2].boolean);
    EXPECT_TRUE(a->items[4].IsNull());
    EXPECT_EQ(v.Find("b")->Find("c")->text, "x\"\\/\n\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(v.Find("missing"), nullptr);
}

TEST(CliJson, WholeNumbersReadExactlyUpTo64Bits) {
    JsonValue v;
    std::string error;
    ASSERT_TRUE(ParseJson("[18446744073709551615, 18446744073709551616, 1.0]", v, error));
    uint64_t n = 0;
    EXPECT_TRUE(v.items[0].AsUnsigned(n));
    EXPECT_EQ(n, UINT64_MAX);
    EXPECT_FALSE(v.items[1].AsUnsigned(n));
    EXPECT_FALSE(v.items[2].AsUnsigned(n));
}

TEST(CliJson, MalformedDocumentsAreRefusedWithTheirPlace) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"{\"a\": 1,\n \"a\": 2}", "line 2, column 2: member \"a\" appears twice"},
        {"[1, 2", "',' or ']' is missing"},
        {"{\"a\" 1}", "':' is missing"},
        {"\"open", "a text is not closed"},
        {"[01]", "',' or ']' is missing"},
        {"tru", "unknown word"},
        {"1 2", "unexpected text after the value"},
        {"\"\\q\"", "unknown escape"},
        {"\"a\tb\"", "a control character"},
        {"", "a value is missing"},
    };
    for (const auto& c : cases) {
        JsonValue v;
        std::string error;
        EXPECT_FALSE(ParseJson(c.text, v, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(CliJson, DeepNestingIsRefusedRatherThanExhaustingTheStack) {
    JsonValue v;
    std::string error;
    EXPECT_FALSE(ParseJson(std::string(100000, '['), v, error));
    EXPECT_NE(error.find("nested too deeply"), std::string::npos);
}

TEST(CliJson, QuotingEscapesWhatJsonNeeds) {
    EXPECT_EQ(JsonQuote("a\"b\\c\nd\x01 配置"), "\"a\\\"b\\\\c\\nd\\u0001 配置\"");
    JsonValue v;
    std::string error;
    const std::string text = "x\"\\\n\x1f\xEF\xBE\x80";
    ASSERT_TRUE(ParseJson(JsonQuote(text), v, error)) << error;
    EXPECT_EQ(v.text, text);
}

}  // namespace
