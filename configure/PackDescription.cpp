#include "configure/PackDescription.h"

#include <cstring>
#include <vector>

#include "common/Text.h"
#include "configure/AnsiText.h"

namespace vantrel {

namespace {

constexpr size_t kMaxProgramWords = 16640;
constexpr size_t kMaxEepromBytes = 256;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ReadDecimal(const std::string& t, uint64_t& number) {
    if (t.empty() || t.size() > 20) return false;
    number = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return false;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (number > (UINT64_MAX - digit) / 10) return false;
        number = number * 10 + digit;
    }
    return true;
}

// A number written as a JSON number or as a "0x.." / decimal text.
bool ReadNumber(const Json& value, uint64_t max, uint64_t& number) {
    if (value.is_number_unsigned()) {
        number = value.get<uint64_t>();
    } else if (value.is_string()) {
        const std::string& t = value.get_ref<const std::string&>();
        number = 0;
        if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
            if (t.size() > 18) return false;
            for (size_t i = 2; i < t.size(); ++i) {
                const int d = HexDigit(t[i]);
                if (d < 0) return false;
                number = number * 16 + static_cast<uint64_t>(d);
            }
        } else if (!ReadDecimal(t, number)) {
            return false;
        }
    } else {
        return false;
    }
    return number <= max;
}

// The member `name` of an object, or nullptr.
const Json* Member(const Json& object, const char* name) {
    const auto found = object.find(name);
    return found != object.end() ? &*found : nullptr;
}

bool ReadBytes(const Json& value, std::vector<uint8_t>& bytes, std::string& why) {
    bytes.clear();
    if (value.is_array()) {
        for (const Json& item : value) {
            uint64_t n;
            if (!ReadNumber(item, 0xFF, n)) {
                why = "every byte must be a number from 0 to 255";
                return false;
            }
            bytes.push_back(static_cast<uint8_t>(n));
        }
        return true;
    }
    if (value.is_string()) {
        int high = -1;
        for (char c : value.get_ref<const std::string&>()) {
            if (c == ' ' || c == '\t' || c == ':' || c == '-' || c == ',') continue;
            const int d = HexDigit(c);
            if (d < 0) {
                why = std::string("'") + c + "' is not a hex digit";
                return false;
            }
            if (high < 0) {
                high = d;
            } else {
                bytes.push_back(static_cast<uint8_t>(high << 4 | d));
                high = -1;
            }
        }
        if (high >= 0) {
            why = "an odd number of hex digits";
            return false;
        }
        return true;
    }
    if (value.is_object()) {
        const Json* text = Member(value, "text");
        if (text == nullptr || !text->is_string() || value.size() != 1) {
            why = "an object item must be {\"text\": \"...\"}";
            return false;
        }
        const std::string& utf8 = text->get_ref<const std::string&>();
        bytes.assign(utf8.begin(), utf8.end());
        return true;
    }
    why = "expected bytes: an array, a hex text or {\"text\": ...}";
    return false;
}

class Reader {
public:
    Reader(const Json& description, std::string& error)
        : m_description(description), m_error(error) {}

    bool Fail(const std::string& member, const std::string& why) {
        m_error = "\"" + member + "\": " + why;
        return false;
    }

    // Copies the bytes of `member`, if present, into `target` (at most `size`).
    bool Bytes(const char* member, uint8_t* target, size_t size) {
        const Json* value = Member(m_description, member);
        if (value == nullptr) return true;
        std::vector<uint8_t> bytes;
        std::string why;
        if (!ReadBytes(*value, bytes, why)) return Fail(member, why);
        if (bytes.size() > size) {
            return Fail(member,
                        std::to_string(bytes.size()) + " bytes; at most " + std::to_string(size));
        }
        std::memset(target, 0, size);
        if (!bytes.empty()) std::memcpy(target, bytes.data(), bytes.size());
        return true;
    }

    bool Number(const char* member, uint64_t max, uint64_t& number, bool& present) {
        const Json* value = Member(m_description, member);
        present = value != nullptr;
        if (!present) return true;
        if (!ReadNumber(*value, max, number)) {
            return Fail(member, "must be a whole number from 0 to " + std::to_string(max));
        }
        return true;
    }

    bool Flag(const char* member, bool& flag) {
        const Json* value = Member(m_description, member);
        if (value == nullptr) return true;
        if (!value->is_boolean()) return Fail(member, "must be true or false");
        flag = value->get<bool>();
        return true;
    }

private:
    const Json& m_description;
    std::string& m_error;
};

// The name in GBK into the 24-byte name field; its first 16 bytes are the IC name.
bool ReadName(const std::string& utf8, uint8_t (&field)[24], std::string& error) {
    std::string gbk;
    if (!WideToGbk(FromUtf8(utf8), gbk)) {
        error = "\"name\": a character that GBK cannot hold (control files store the name in GBK)";
        return false;
    }
    if (gbk.size() > sizeof field) {
        error = "\"name\": " + std::to_string(gbk.size()) + " bytes in GBK; at most 24";
        return false;
    }
    // A GBK character is two bytes when its first byte is 0x81-0xFE, one byte
    // otherwise: the IC name must not end in the middle of one.
    size_t at = 0;
    while (at < gbk.size() && at < 16) {
        const auto lead = static_cast<unsigned char>(gbk[at]);
        at += lead >= 0x81 && lead <= 0xFE ? 2 : 1;
    }
    if (at > 16) {
        error =
            "\"name\": its 16th byte splits a character, so the IC name (the first 16 bytes) "
            "would be cut inside it";
        return false;
    }
    std::memcpy(field, gbk.data(), gbk.size());
    return true;
}

bool CheckMembers(const Json& description, std::string& error) {
    static const char* const kKnown[] = {"name",
                                         "key",
                                         "ic_type",
                                         "descriptor_options",
                                         "extra_options",
                                         "ic_descriptor",
                                         "program_word_count",
                                         "eeprom_count",
                                         "program_words",
                                         "eeprom_bytes",
                                         "wide_option_layout",
                                         "option_block",
                                         "family_number",
                                         "ic_params",
                                         "sn",
                                         "pass",
                                         "id",
                                         "pro_checksum",
                                         "inrc_set",
                                         "leve",
                                         "comment"};
    for (const auto& [name, value] : description.items()) {
        bool known = false;
        for (const char* k : kKnown) known = known || name == k;
        if (!known) {
            error = "unknown member \"" + name + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace

bool ReadPackDescription(const Json& d, ControlFileContents& c, std::string& error) {
    c = ControlFileContents{};
    if (!d.is_object()) {
        error = "the description must be one JSON object";
        return false;
    }
    if (!CheckMembers(d, error)) return false;
    Reader r(d, error);

    const Json* name = Member(d, "name");
    if (name == nullptr || !name->is_string()) return r.Fail("name", "a text is required");
    if (!ReadName(name->get_ref<const std::string&>(), c.name, error)) return false;

    const Json* key = Member(d, "key");
    std::vector<uint8_t> keyBytes;
    std::string why;
    if (key == nullptr || !key->is_string() || !ReadBytes(*key, keyBytes, why) ||
        keyBytes.size() != 8) {
        return r.Fail("key", "16 hex digits are required");
    }
    std::memcpy(c.key, keyBytes.data(), 8);

    if (!r.Bytes("ic_descriptor", c.icDescriptor, 16)) return false;
    if (!r.Bytes("descriptor_options", c.icDescriptor, 4)) return false;
    if (!r.Bytes("extra_options", c.icDescriptor + 10, 4)) return false;
    if (const Json* type = Member(d, "ic_type")) {
        if (!type->is_string() || type->get_ref<const std::string&>().size() != 1) {
            return r.Fail("ic_type", "must be one ASCII character");
        }
        c.icDescriptor[9] = static_cast<uint8_t>(type->get_ref<const std::string&>()[0]);
    }

    if (const Json* words = Member(d, "program_words")) {
        if (!words->is_array()) return r.Fail("program_words", "an array");
        if (words->size() > kMaxProgramWords) {
            return r.Fail("program_words", "at most 16640 words fit the program area");
        }
        for (const Json& item : *words) {
            uint64_t n;
            if (!ReadNumber(item, 0xFFFF, n)) {
                return r.Fail("program_words", "every word must be a number from 0 to 65535");
            }
            c.programWords.push_back(static_cast<uint16_t>(n));
        }
    }
    if (const Json* eeprom = Member(d, "eeprom_bytes")) {
        if (!ReadBytes(*eeprom, c.eepromBytes, why)) return r.Fail("eeprom_bytes", why);
        if (c.eepromBytes.size() > kMaxEepromBytes) {
            return r.Fail("eeprom_bytes", "at most 256 entries fit the EEPROM area");
        }
    }

    uint64_t n = 0;
    bool programCount = false;
    bool eepromCount = false;
    uint64_t words = 0;
    uint64_t entries = 0;
    if (!r.Number("program_word_count", 0xFFFF, words, programCount)) return false;
    if (!r.Number("eeprom_count", 0xFFFF, entries, eepromCount)) return false;
    if (programCount || eepromCount) {
        // Counts written as given (to make files that test the tool's limits); the
        // one not given still follows its item.
        c.fillDescriptorCounts = false;
        if (!programCount) words = c.programWords.size();
        if (!eepromCount) entries = c.eepromBytes.size();
        c.icDescriptor[5] = static_cast<uint8_t>(words);
        c.icDescriptor[6] = static_cast<uint8_t>(words >> 8);
        c.icDescriptor[7] = static_cast<uint8_t>(entries);
        c.icDescriptor[8] = static_cast<uint8_t>(entries >> 8);
    }

    if (!r.Flag("wide_option_layout", c.wideOptionLayout)) return false;
    if (!r.Bytes("option_block", c.optionBlock, c.wideOptionLayout ? 56 : 44)) return false;
    bool present = false;
    if (!r.Number("family_number", 0xFFFFFFFFull, n, present)) return false;
    if (present) {
        for (int i = 0; i < 4; ++i) c.optionBlock[12 + i] = static_cast<uint8_t>(n >> (8 * i));
    }
    if (!r.Bytes("ic_params", c.icParam, sizeof c.icParam)) return false;
    if (!r.Bytes("sn", c.sn, sizeof c.sn)) return false;
    if (!r.Bytes("pass", c.pass, sizeof c.pass)) return false;
    if (!r.Bytes("id", c.id, sizeof c.id)) return false;
    if (!r.Bytes("pro_checksum", c.proCheckSum, sizeof c.proCheckSum)) return false;
    if (!r.Bytes("inrc_set", c.inrcSet, sizeof c.inrcSet)) return false;
    if (!r.Number("leve", 0xFF, n, present)) return false;
    if (present) c.leve = static_cast<uint8_t>(n);
    return true;
}

}  // namespace vantrel
