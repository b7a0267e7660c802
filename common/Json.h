#pragma once
// JSON through nlohmann-json: the reader of pack descriptions, with
// the refusals a description needs, and the writer of the JSON output.

#include <nlohmann/json.hpp>
#include <string>

namespace vantrel {

// A parsed document.
using Json = nlohmann::json;
// A document to print: members keep the order in which they were set.
using OrderedJson = nlohmann::ordered_json;

// Objects and arrays nested deeper than this are refused (a description needs 3).
constexpr int kMaxJsonDepth = 64;

// Parses a whole document. A byte-order mark at the start is skipped; a member
// name that appears twice in one object is refused (the reader would otherwise
// keep one of the two values without a word), and so is nesting deeper than
// kMaxJsonDepth. On failure returns false with `error` naming the place.
bool ParseJson(const std::string& text, Json& value, std::string& error);

// The document as text: two-space indent (or, with `oneLine`, none), UTF-8 as it is
// but for the control characters, DEL and the C1 characters (U+0080 .. U+009F), which
// are escaped with quotes and backslashes, and a line end after the last brace.
std::string JsonText(const OrderedJson& value, bool oneLine = false);

}  // namespace vantrel
