// The JSON reader of the pack descriptions (what it adds to nlohmann-json: a
// byte-order mark, duplicate names, nesting) and the text of the JSON output.

#include "cli/Json.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantrel::cli;

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
