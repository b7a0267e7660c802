#include "configure/ControlFileReport.h"

#include <memory>
#include <vector>

#include "configure/AnsiText.h"
#include "configure/ChecksumDisplay.h"
#include "configure/ControlFile.h"
#include "configure/DecodeConfiguration.h"

namespace vantrel {

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

}  // namespace vantrel
