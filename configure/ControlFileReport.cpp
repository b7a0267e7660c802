#include "configure/ControlFileReport.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "common/ShownText.h"
#include "common/Text.h"
#include "configure/AnsiText.h"
#include "configure/ChecksumDisplay.h"
#include "configure/ControlFile.h"
#include "configure/DecodeConfiguration.h"
#include "configure/IcRules.h"

namespace vantrel {

namespace {

std::wstring Hex2(uint32_t value) {
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%02X", value);
    return buffer;
}

std::wstring IcTypeText(uint8_t type) { return AnsiToWide(&type, 1); }

std::string Utf8(const std::wstring& text) { return ToUtf8(text); }

}  // namespace

int32_t FamilyNumber(const ConfigurationRecord& record) {
    const uint8_t* at = record.m_optionBlock + 12;
    return static_cast<int32_t>(static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                                static_cast<uint32_t>(at[2]) << 16 |
                                static_cast<uint32_t>(at[3]) << 24);
}

ControlInspection InspectControlFile(const std::vector<uint8_t>& bytes, bool wideOptions) {
    ControlInspection report;
    // The header's name field, straight from a file of the right length.
    report.headerRead = bytes.size() == kControlFileLength;
    if (report.headerRead) {
        report.icName = AnsiToWide(bytes.data() + kDataRegionLength + 4 + kHeaderNameOffset, 16);
    }

    auto file = std::make_unique<ControlFile>();
    const ControlFileResult loaded = ParseControlFile(bytes, *file);
    if (loaded != ControlFileResult::Ok) {
        report.error = ControlFileResultText(loaded);
        return report;
    }
    DecodedControlFile decoded = DecodeControlFile(*file, wideOptions);
    if (decoded.result != DecodeResult::Ok) {
        report.error = DecodeResultText(decoded.result);
        return report;
    }

    report.valid = true;
    report.record = std::move(decoded.record);
    const ConfigurationRecord& r = *report.record;
    const ChecksumTexts texts =
        FormatChecksumDisplay(r.m_icDescriptor[9], r.m_idBlock, r.m_proCheckSum);
    report.checksumMoe = texts.first;
    report.checksumMemory = texts.second;
    return report;
}

void AddControlFileFields(OrderedJson& j, const ControlInspection& r) {
    j["ic_name"] = r.headerRead ? OrderedJson(Utf8(r.icName)) : OrderedJson();
    // The decoded values, or null for each when the file was refused.
    if (const ConfigurationRecord* d = r.record.get()) {
        j["ic_type"] = Utf8(IcTypeText(d->m_icDescriptor[9]));
        j["program_words"] = d->m_nProgramWords;
        j["eeprom_count"] = d->m_nEepromCount;
        j["family_number"] = FamilyNumber(*d);
        j["command_family"] = d->m_nCommandFamily;
        j["low_mask"] = d->m_nLowMask;
        j["high_shift"] = d->m_nHighShift;
        j["high_mask"] = d->m_nHighMask;
        j["family_tag"] = d->m_nFamilyTag;
        j["pack_flag"] = d->m_nPackFlag;
        j["leve"] = d->m_leve;
        j["asks_program_mode"] = AsksProgramMode(d->m_icDescriptor[9]);
        j["checksum_moe"] = Utf8(r.checksumMoe);
        j["checksum_memory"] = Utf8(r.checksumMemory);
    } else {
        for (const char* name :
             {"ic_type", "program_words", "eeprom_count", "family_number", "command_family",
              "low_mask", "high_shift", "high_mask", "family_tag", "pack_flag", "leve",
              "asks_program_mode", "checksum_moe", "checksum_memory"})
            j[name] = nullptr;
    }
    j["valid"] = r.valid;
    if (!r.valid) j["error"] = Utf8(r.error);
}

std::vector<std::wstring> ControlFileLines(const ControlInspection& r) {
    std::vector<std::wstring> lines;
    if (r.headerRead) lines.push_back(L"IC name: " + ShownText(r.icName));
    if (!r.valid) {
        lines.push_back(L"not valid: " + r.error);
        return lines;
    }
    const ConfigurationRecord& d = *r.record;
    lines.push_back(L"IC type: " + ShownText(IcTypeText(d.m_icDescriptor[9])));
    lines.push_back(L"program words: " + std::to_wstring(d.m_nProgramWords));
    lines.push_back(L"EEPROM entries: " + std::to_wstring(d.m_nEepromCount));
    lines.push_back(L"family number: " + std::to_wstring(FamilyNumber(d)));
    lines.push_back(L"command family: " + std::to_wstring(d.m_nCommandFamily));
    lines.push_back(L"word packing: low mask " + Hex2(d.m_nLowMask) + L", high shift " +
                    std::to_wstring(d.m_nHighShift) + L", high mask " + Hex2(d.m_nHighMask) +
                    L", family tag " + Hex2(d.m_nFamilyTag) + L", pack flag " +
                    std::to_wstring(d.m_nPackFlag));
    lines.push_back(L"level byte: " + Hex2(d.m_leve));
    lines.push_back(std::wstring(L"asks for the programming mode: ") +
                    (AsksProgramMode(d.m_icDescriptor[9]) ? L"yes" : L"no"));
    lines.push_back(L"M+O+E：" + ShownText(r.checksumMoe));
    lines.push_back(L"MEMORY：" + ShownText(r.checksumMemory));
    lines.push_back(L"valid: yes");
    return lines;
}

}  // namespace vantrel
