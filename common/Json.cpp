#include "common/Json.h"

#include <set>
#include <vector>

namespace vantrel {

namespace {

// Thrown by the parse callback to end the parse with a refusal of our own.
struct Refusal {
    std::string why;
};

// nlohmann-json's messages start with "[json.exception.parse_error.101] ".
std::string WithoutExceptionId(const char* what) {
    std::string text = what;
    if (!text.empty() && text[0] == '[') {
        const size_t end = text.find("] ");
        if (end != std::string::npos) text.erase(0, end + 2);
    }
    return text;
}

}  // namespace

bool ParseJson(const std::string& text, Json& value, std::string& error) {
    error.clear();
    // The names seen so far in each object that is open, innermost last.
    std::vector<std::set<std::string>> names;
    const Json::parser_callback_t callback = [&](int depth, Json::parse_event_t event,
                                                 Json& parsed) {
        switch (event) {
            case Json::parse_event_t::object_start:
            case Json::parse_event_t::array_start:
                if (depth >= kMaxJsonDepth) throw Refusal{"nested too deeply"};
                if (event == Json::parse_event_t::object_start) names.emplace_back();
                break;
            case Json::parse_event_t::object_end:
                if (!names.empty()) names.pop_back();
                break;
            case Json::parse_event_t::key: {
                const std::string& name = parsed.get_ref<const std::string&>();
                if (!names.empty() && !names.back().insert(name).second) {
                    throw Refusal{"member \"" + name + "\" appears twice"};
                }
                break;
            }
            default:
                break;
        }
        return true;
    };
    try {
        value = Json::parse(text.begin(), text.end(), callback);
        return true;
    } catch (const Refusal& refusal) {
        error = refusal.why;
    } catch (const Json::exception& e) {
        error = WithoutExceptionId(e.what());
    }
    value = Json();
    return false;
}

std::string JsonText(const OrderedJson& value, bool oneLine) {
    // Every text put into a document is UTF-8 from the tool's own conversion; a
    // byte that is not would be replaced rather than end the output.
    const std::string dumped =
        value.dump(oneLine ? -1 : 2, ' ', false, OrderedJson::error_handler_t::replace);
    // The dump is well-formed UTF-8 in which DEL and C2 80 .. C2 9F can stand only
    // inside a string: they become escapes there, as a terminal must not see them raw.
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(dumped.size() + 1);
    for (size_t i = 0; i < dumped.size(); ++i) {
        auto code = static_cast<unsigned char>(dumped[i]);
        const bool c1 = code == 0xC2 && i + 1 < dumped.size() &&
                        static_cast<unsigned char>(dumped[i + 1]) <= 0x9F;
        if (c1) code = static_cast<unsigned char>(dumped[++i]);
        if (code == 0x7F || c1) {
            text += "\\u00";
            text += kHex[code >> 4];
            text += kHex[code & 15];
        } else {
            text += static_cast<char>(code);
        }
    }
    return text + "\n";
}

}  // namespace vantrel
