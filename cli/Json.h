#pragma once
// A small JSON reader for the pack descriptions, and the quoting that the JSON
// output of inspect needs. Texts are UTF-8; numbers keep their written form so
// that whole numbers up to 64 bits read exactly.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::cli {

class JsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    Type type = Type::Null;
    bool boolean = false;
    // The number as written (Number), or the decoded text (String).
    std::string text;
    std::vector<JsonValue> items;
    // Members in the order written; names are unique.
    std::vector<std::pair<std::string, JsonValue>> members;

    bool IsNull() const { return type == Type::Null; }
    // The member `name` of an object, or nullptr.
    const JsonValue* Find(const std::string& name) const;
    // A Number that is a whole number in [0, 2^64): true with `value`.
    bool AsUnsigned(uint64_t& value) const;
};

// Parses a whole document. On failure returns false with `error` naming the line
// and column. Nesting is limited so that a hostile file cannot exhaust the stack.
bool ParseJson(const std::string& text, JsonValue& value, std::string& error);

// The text as a JSON string literal, quotes included (UTF-8 passes through; control
// characters, quotes and backslashes are escaped).
std::string JsonQuote(const std::string& utf8);

}  // namespace vantrel::cli
