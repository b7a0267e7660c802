#include "tests/configure/WireModel.h"

#include <cstdio>
#include <cstring>

namespace vantrel::test {

namespace {

uint8_t FamilyOf(const ControlFileContents& file) {
    const uint8_t type = file.icDescriptor[9];
    return (type == '3' || type == '5') ? 3 : 2;
}

uint32_t FamilyNumber(const ControlFileContents& file) {
    const uint8_t* f = file.optionBlock + 12;
    return static_cast<uint32_t>(f[0] | f[1] << 8 | f[2] << 16) | static_cast<uint32_t>(f[3]) << 24;
}

// Low mask, high shift, high mask, family tag, pack flag.
std::array<uint8_t, 5> Packing(uint32_t family) {
    switch (family) {
        case 3:
            return {0x7F, 7, 0x0F, 0x1F, 1};
        case 4:
            return {0x7F, 7, 0x3F, 0x1F, 1};
        case 5:
            return {0xFF, 8, 0x7F, 0x1F, 0};
        case 6:
            return {0xFF, 8, 0xFF, 0x1F, 0};
        case 7:
        case 9:
        case 10:
            return {0xFF, 8, 0x3F, 0x1F, 0};
        case 8:
            return {0x7F, 7, 0x7F, 0xE0, 1};
        default:
            return {0x7F, 7, 0x7F, 0x1F, 1};
    }
}

// The option block as the 44-byte layout, whichever layout the file has.
std::array<uint8_t, 44> NarrowOptions(const ControlFileContents& file, bool wide) {
    std::array<uint8_t, 44> o{};
    std::memcpy(o.data(), file.optionBlock, 44);
    if (wide) {
        for (int i = 28; i < 32; ++i) o[i] = file.optionBlock[i + 4];
        for (int i = 32; i < 42; ++i) o[i] = file.optionBlock[i + 8];
    }
    return o;
}

std::string Hex(const uint8_t* bytes, size_t count) {
    std::string text;
    char buffer[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
        text += buffer;
    }
    return text;
}

}  // namespace

void WireModel::Command(const std::string& name, uint8_t family, uint8_t kind, uint32_t word,
                        uint16_t length, const std::vector<uint8_t>& payload,
                        std::vector<Report> data) {
    m_record[0] = family;
    m_record[1] = kind;
    m_record[2] = static_cast<uint8_t>(word);
    m_record[3] = static_cast<uint8_t>(word >> 8);
    m_record[4] = static_cast<uint8_t>(word >> 16);
    m_record[5] = static_cast<uint8_t>(word >> 24);
    m_record[6] = static_cast<uint8_t>(length);
    m_record[7] = static_cast<uint8_t>(length >> 8);
    for (size_t i = 0; i < payload.size(); ++i) m_record[8 + i] = payload[i];
    commands.push_back(WireCommand{name, m_record, std::move(data)});
}

void WireModel::QueryWriterLevel(const ControlFileContents& file) {
    Command("QueryWriterLevel", FamilyOf(file), 1, 0x0005000B, 0, {});
}

void WireModel::Configuration(const ControlFileContents& file, const RunExpectation& run) {
    const uint8_t family = FamilyOf(file);
    const uint8_t type = file.icDescriptor[9];
    const auto packing = Packing(FamilyNumber(file));
    const auto options = NarrowOptions(file, run.wideOptions);
    const uint8_t* d = file.icDescriptor;

    Command("ConnectWriter", family, 1, 0x0006000B, 0, {});

    // Program words, packed; the last report runs on into the file's zero padding.
    const size_t words = file.programWords.size();
    std::vector<Report> program;
    for (size_t at = 0; at < words; at += 32) {
        Report report{};
        for (size_t i = 0; i < 32; ++i) {
            const uint16_t w = at + i < words ? file.programWords[at + i] : 0;
            report[2 * i] = static_cast<uint8_t>(w & packing[0]);
            report[2 * i + 1] = static_cast<uint8_t>((w >> packing[1]) & packing[2]);
        }
        program.push_back(report);
    }
    Command("DownData", family, 3, 0x00000008, static_cast<uint16_t>(2 * words), {}, program);

    const uint16_t first = static_cast<uint16_t>((options[4] << 8 | options[5]) + 1);
    const uint16_t second = (options[33] == 0 && options[34] == 0)
                                ? 0
                                : static_cast<uint16_t>((options[33] << 8 | options[34]) + 1);
    const std::vector<uint8_t> ic = {
        type,
        options[20],
        options[32],
        options[35],
        static_cast<uint8_t>(first),
        static_cast<uint8_t>(first >> 8),
        static_cast<uint8_t>(second),
        static_cast<uint8_t>(second >> 8),
        static_cast<uint8_t>(options[26] != 0 ? 4 : 2),
        packing[0],
        packing[2],
        packing[3],
        packing[4],
        file.icParam[4],
        file.icParam[8],
        file.icParam[9],
        file.icParam[10],
        file.icParam[11],
        file.icParam[12],
        file.icParam[13],
        file.icParam[14],
        file.icParam[15],
    };
    Command("DownIC", family, 2, 0x85D00008, 18, ic);

    const size_t entries = file.eepromBytes.size();
    if (entries != 0) {
        for (size_t i = 0; i < entries; ++i) m_eeprom[i] = file.eepromBytes[i];
        std::vector<Report> eeprom;
        for (size_t at = 0; at < entries; at += 64) {
            Report report{};
            std::memcpy(report.data(), m_eeprom.data() + at, 64);
            eeprom.push_back(report);
        }
        Command("DownEE", family, 3, 0x84000008, static_cast<uint16_t>(entries), {}, eeprom);
    }

    if (family == 3) {
        const bool family53 = FamilyNumber(file) == 53 && file.inrcSet[4] == 0;
        Command("DownOPT", family, 2, 0x85000008, 1,
                {static_cast<uint8_t>(d[1] | (family53 ? 0x10 : 0)), d[1], d[2], d[3]});
    } else if (type == 'B' || type == 'D') {
        Command("DownOPT", family, 2, 0x85000008, 8,
                {d[0], d[1], d[2], d[3], d[10], d[11], d[12], d[13]});
    } else if (type == 'C') {
        Command("DownOPT", family, 2, 0x85000008, 6, {d[0], d[1], d[2], d[3], d[10], d[11]});
    } else {
        Command("DownOPT", family, 2, 0x85000008, 4, {d[0], d[1], d[2], d[3]});
    }

    Command("DownIC", family, 2, 0x85D00008, 18, ic);
    Command("DownSN", family, 2, 0x85F00008, 34, std::vector<uint8_t>(file.sn, file.sn + 34));
    Command("DownPass", family, 2, 0x85500008, 8, std::vector<uint8_t>(file.pass, file.pass + 8));
    Command("DownID", family, 2, 0x85600008, 26, std::vector<uint8_t>(file.id, file.id + 26));
    Command("DownProCheckSum", family, 2, 0x85100008, 8,
            std::vector<uint8_t>(file.proCheckSum, file.proCheckSum + 8));
    Command("DownINRCSET", family, 2, 0x85A00008, 5,
            std::vector<uint8_t>(file.inrcSet, file.inrcSet + 5));
    if (run.sendIoSet) Command("DownIOSet", family, 2, 0x87000008, 1, {run.programMode});
    if (run.sendIcName) {
        std::vector<uint8_t> name(56, 0);
        std::memcpy(name.data(), file.name, 16);
        Command("DownICName", family, 2, 0x88000008, 16, name);
    }
    Command("DownLeve", family, 2, 0x85C00008, 1, {file.leve});
    Command("DisConnectWriter", family, 1, 0x0002000B, 0, {});
}

::testing::AssertionResult SameTraffic(const std::vector<sim::RecordedCommand>& received,
                                       const std::vector<WireCommand>& expected) {
    std::string names;
    for (const auto& r : received) names += r.name + " ";
    for (size_t i = 0; i < received.size() && i < expected.size(); ++i) {
        const auto& got = received[i];
        const auto& want = expected[i];
        if (got.name != want.name)
            return ::testing::AssertionFailure()
                   << "command " << i << " is " << got.name << ", expected " << want.name
                   << "\nreceived: " << names;
        if (got.bytes != want.bytes)
            return ::testing::AssertionFailure()
                   << "command " << i << " (" << want.name << ")\n  got  "
                   << Hex(got.bytes.data(), 64) << "\n  want " << Hex(want.bytes.data(), 64);
        if (got.data.size() != want.data.size())
            return ::testing::AssertionFailure() << want.name << ": " << got.data.size()
                                                 << " data reports, expected " << want.data.size();
        for (size_t r = 0; r < got.data.size(); ++r)
            if (got.data[r] != want.data[r])
                return ::testing::AssertionFailure() << want.name << " data report " << r
                                                     << "\n  got  " << Hex(got.data[r].data(), 64)
                                                     << "\n  want " << Hex(want.data[r].data(), 64);
    }
    if (received.size() != expected.size())
        return ::testing::AssertionFailure() << received.size() << " commands received, "
                                             << expected.size() << " expected\nreceived: " << names;
    return ::testing::AssertionSuccess();
}

}  // namespace vantrel::test
