#include "cli/Json.h"

#include <cstdio>

namespace vantrel::cli {

namespace {

constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(const std::string& text) : m_text(text) {}

    bool Document(JsonValue& value, std::string& error) {
        SkipSpace();
        if (!Value(value, 0)) {
            error = m_error;
            return false;
        }
        SkipSpace();
        if (m_pos != m_text.size()) {
            Fail("unexpected text after the value");
            error = m_error;
            return false;
        }
        return true;
    }

private:
    bool Fail(const std::string& what) {
        if (!m_error.empty()) return false;
        size_t line = 1;
        size_t column = 1;
        for (size_t i = 0; i < m_pos && i < m_text.size(); ++i) {
            if (m_text[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        m_error =
            "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what;
        return false;
    }

    void SkipSpace() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r')) {
            ++m_pos;
        }
    }

    bool Literal(const char* word) {
        const std::string w(word);
        if (m_text.compare(m_pos, w.size(), w) != 0) return Fail("unknown word");
        m_pos += w.size();
        return true;
    }

    bool Value(JsonValue& value, int depth) {
        if (depth > kMaxDepth) return Fail("nested too deeply");
        if (m_pos >= m_text.size()) return Fail("a value is missing");
        const char c = m_text[m_pos];
        switch (c) {
            case '{':
                return Object(value, depth);
            case '[':
                return Array(value, depth);
            case '"':
                value.type = JsonValue::Type::String;
                return String(value.text);
            case 't':
                value.type = JsonValue::Type::Bool;
                value.boolean = true;
                return Literal("true");
            case 'f':
                value.type = JsonValue::Type::Bool;
                value.boolean = false;
                return Literal("false");
            case 'n':
                value.type = JsonValue::Type::Null;
                return Literal("null");
            default:
                if (c == '-' || (c >= '0' && c <= '9')) return Number(value);
                return Fail(std::string("unexpected character '") + c + "'");
        }
    }

    bool Object(JsonValue& value, int depth) {
        value.type = JsonValue::Type::Object;
        ++m_pos;  // {
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == '}') {
            ++m_pos;
            return true;
        }
        for (;;) {
            SkipSpace();
            if (m_pos >= m_text.size() || m_text[m_pos] != '"')
                return Fail("a member name is missing");
            const size_t nameAt = m_pos;
            std::string name;
            if (!String(name)) return false;
            if (value.Find(name) != nullptr) {
                m_pos = nameAt;  // the complaint points at the repeated name
                return Fail("member \"" + name + "\" appears twice");
            }
            SkipSpace();
            if (m_pos >= m_text.size() || m_text[m_pos] != ':') return Fail("':' is missing");
            ++m_pos;
            SkipSpace();
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            value.members.emplace_back(std::move(name), std::move(member));
            SkipSpace();
            if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == '}') {
                ++m_pos;
                return true;
            }
            return Fail("',' or '}' is missing");
        }
    }

    bool Array(JsonValue& value, int depth) {
        value.type = JsonValue::Type::Array;
        ++m_pos;  // [
        SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == ']') {
            ++m_pos;
            return true;
        }
        for (;;) {
            SkipSpace();
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            value.items.push_back(std::move(item));
            SkipSpace();
            if (m_pos < m_text.size() && m_text[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            if (m_pos < m_text.size() && m_text[m_pos] == ']') {
                ++m_pos;
                return true;
            }
            return Fail("',' or ']' is missing");
        }
    }

    bool Number(JsonValue& value) {
        value.type = JsonValue::Type::Number;
        const size_t start = m_pos;
        auto digits = [&] {
            const size_t from = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') ++m_pos;
            return m_pos > from;
        };
        if (m_text[m_pos] == '-') ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '0') {
            ++m_pos;
        } else if (!digits()) {
            return Fail("a number is malformed");
        }
        if (m_pos < m_text.size() && m_text[m_pos] == '.') {
            ++m_pos;
            if (!digits()) return Fail("a number is malformed");
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-')) ++m_pos;
            if (!digits()) return Fail("a number is malformed");
        }
        value.text = m_text.substr(start, m_pos - start);
        return true;
    }

    bool Hex4(uint32_t& unit) {
        if (m_pos + 4 > m_text.size()) return Fail("\\u needs four hex digits");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            unit <<= 4;
            if (c >= '0' && c <= '9') {
                unit |= static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                unit |= static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                unit |= static_cast<uint32_t>(c - 'A' + 10);
            } else {
                return Fail("\\u needs four hex digits");
            }
        }
        return true;
    }

    static void AppendUtf8(std::string& out, uint32_t cp) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    bool String(std::string& out) {
        ++m_pos;  // opening quote
        out.clear();
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == '"') {
                ++m_pos;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character in a text");
            if (c != '\\') {
                out.push_back(c);
                ++m_pos;
                continue;
            }
            if (++m_pos >= m_text.size()) break;
            const char e = m_text[m_pos++];
            switch (e) {
                case '"':
                    out.push_back('"');
                    break;
                case '\\':
                    out.push_back('\\');
                    break;
                case '/':
                    out.push_back('/');
                    break;
                case 'b':
                    out.push_back('\b');
                    break;
                case 'f':
                    out.push_back('\f');
                    break;
                case 'n':
                    out.push_back('\n');
                    break;
                case 'r':
                    out.push_back('\r');
                    break;
                case 't':
                    out.push_back('\t');
                    break;
                case 'u': {
                    uint32_t unit = 0;
                    if (!Hex4(unit)) return false;
                    if (unit >= 0xD800 && unit < 0xDC00 && m_pos + 1 < m_text.size() &&
                        m_text[m_pos] == '\\' && m_text[m_pos + 1] == 'u') {
                        m_pos += 2;
                        uint32_t low = 0;
                        if (!Hex4(low)) return false;
                        if (low >= 0xDC00 && low < 0xE000) {
                            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                        } else {
                            AppendUtf8(out, 0xFFFD);
                            unit = low;
                        }
                    }
                    if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;
                    AppendUtf8(out, unit);
                    break;
                }
                default:
                    return Fail(std::string("unknown escape '\\") + e + "'");
            }
        }
        return Fail("a text is not closed");
    }

    const std::string& m_text;
    size_t m_pos = 0;
    std::string m_error;
};

}  // namespace

const JsonValue* JsonValue::Find(const std::string& name) const {
    for (const auto& [key, member] : members) {
        if (key == name) return &member;
    }
    return nullptr;
}

bool JsonValue::AsUnsigned(uint64_t& value) const {
    if (type != Type::Number || text.empty() || text[0] == '-') return false;
    uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;  // fractions and exponents are not whole numbers
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (result > (UINT64_MAX - digit) / 10) return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

bool ParseJson(const std::string& text, JsonValue& value, std::string& error) {
    value = JsonValue{};
    Parser parser(text);
    return parser.Document(value, error);
}

std::string JsonQuote(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
                    out += buffer;
                } else {
                    out.push_back(c);
                }
        }
    }
    out += "\"";
    return out;
}

}  // namespace vantrel::cli
