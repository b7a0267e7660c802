// The JSON reader of the pack descriptions (what it adds to nlohmann-json: a
// byte-order mark, duplicate names, nesting) and the text of the JSON output.

#include "common/Json.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantrel;

namespace {

TEST(CliJson, AcceptsAByteOrderMarkAndReadsWholeNumbersExactly) {
    Json v;
    std::string error;
    ASSERT_TRUE(
        ParseJson("\xEF\xBB\xBF{\"a\": [18446744073709551615, 1.0, \"\\u82af\"]}", v, error))
        << error;
    EXPECT_TRUE(v["a"][0].is_number_unsigned());
    EXPECT_EQ(v["a"][0].get<uint64_t>(), UINT64_MAX);
    EXPECT_FALSE(v["a"][1].is_number_unsigned());
    EXPECT_EQ(v["a"][2].get<std::string>(), "芯");
}

TEST(CliJson, RefusesWhatADescriptionMustNotHold) {
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"{\"a\": 1,\n \"a\": 2}", "member \"a\" appears twice"},
        {"[{\"b\": {\"x\": 1, \"y\": 2, \"x\": 3}}]", "member \"x\" appears twice"},
        {std::string(100000, '['), "nested too deeply"},
        {"{\"a\" 1}", "line 1, column 6"},
        {"[1,\n 2", "line 2, column 3"},
        {"\"\xFF\"", "ill-formed UTF-8"},
        {"\xEF\xBB{}", "BOM"},
        {"", "unexpected end of input"},
    };
    for (const auto& c : cases) {
        Json v;
        std::string error;
        EXPECT_FALSE(ParseJson(c.text, v, error)) << c.text.substr(0, 40);
        EXPECT_NE(error.find(c.error), std::string::npos)
            << c.text.substr(0, 40) << " -> " << error;
        EXPECT_EQ(error.find("json.exception"), std::string::npos) << error;
    }
    // The same name in two different objects is no duplicate.
    Json v;
    std::string error;
    EXPECT_TRUE(ParseJson("{\"a\": {\"a\": 1}, \"b\": [{\"a\": 2}, {\"a\": 3}]}", v, error))
        << error;
}

TEST(CliJson, OutputEscapesControlCharactersAndKeepsTheOrderOfMembers) {
    OrderedJson j;
    j["z"] = "a\"b\\c\nd\x01 配置";
    j["a"] = nullptr;
    EXPECT_EQ(JsonText(j), "{\n  \"z\": \"a\\\"b\\\\c\\nd\\u0001 配置\",\n  \"a\": null\n}\n");
}

}  // namespace

TEST(CliJson, OutputEscapesDelAndTheC1CharactersInBothForms) {
    const struct {
        std::string text;
        const char* shown;
    } cases[] = {
        {"a\x7f"
         "b",
         "a\\u007fb"},
        {"\xC2\x80", "\\u0080"},
        {"\xC2\x9B"
         "2J",
         "\\u009b2J"},
        {"\xC2\x9F\xC2\x9F", "\\u009f\\u009f"},
        {"\xC2\xA0\xC2\xA9", "\xC2\xA0\xC2\xA9"},  // no-break space and (c) stay
        {"\xC3\x82\xC2\x85", "\xC3\x82\\u0085"},   // Â, then NEL
        {"\xE2\x82\xAC", "\xE2\x82\xAC"},          // a 3-byte character
        {"\xC2", "\xEF\xBF\xBD"},                  // not UTF-8: replaced
    };
    for (const auto& c : cases) {
        OrderedJson j;
        j["t"] = c.text;
        const std::string member = std::string("\"t\": \"") + c.shown + "\"";
        EXPECT_EQ(JsonText(j), "{\n  " + member + "\n}\n") << c.shown;
        EXPECT_EQ(JsonText(j, true), "{\"t\":\"" + std::string(c.shown) + "\"}\n") << c.shown;
    }
}
