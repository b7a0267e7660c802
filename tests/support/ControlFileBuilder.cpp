#include "tests/support/ControlFileBuilder.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace vantrel::test {

namespace {

template <size_t N>
void FillPattern(uint8_t (&field)[N], uint8_t first) {
    for (size_t i = 0; i < N; ++i) field[i] = static_cast<uint8_t>(first + i);
}

}  // namespace

ControlFileBuilder::ControlFileBuilder() {
    Name("TEST-IC");
    const uint8_t key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    Key(key);
    std::vector<uint16_t> words(0x40);
    std::iota(words.begin(), words.end(), static_cast<uint16_t>(0x1000));
    ProgramWords(std::move(words));
    std::vector<uint8_t> eeprom(16);
    std::iota(eeprom.begin(), eeprom.end(), static_cast<uint8_t>(0xE0));
    EepromBytes(std::move(eeprom));
    FillPattern(contents.icDescriptor, 0x10);
    IcType('2');
    FillPattern(contents.optionBlock, 0x20);
    FillPattern(contents.icParam, 0x60);
    FillPattern(contents.sn, 0x70);
    FillPattern(contents.pass, 0xA0);
    FillPattern(contents.id, 0xB0);
    FillPattern(contents.proCheckSum, 0xD0);
    FillPattern(contents.inrcSet, 0xF0);
    contents.leve = 0x03;
}

ControlFileBuilder& ControlFileBuilder::Name(const std::string& name) {
    std::memset(contents.name, 0, sizeof contents.name);
    std::memcpy(contents.name, name.data(), std::min(name.size(), sizeof contents.name));
    return *this;
}

ControlFileBuilder& ControlFileBuilder::Key(const uint8_t key[8]) {
    std::memcpy(contents.key, key, sizeof contents.key);
    return *this;
}

ControlFileBuilder& ControlFileBuilder::ProgramWords(std::vector<uint16_t> words) {
    contents.programWords = std::move(words);
    return *this;
}

ControlFileBuilder& ControlFileBuilder::EepromBytes(std::vector<uint8_t> bytes) {
    contents.eepromBytes = std::move(bytes);
    return *this;
}

ControlFileBuilder& ControlFileBuilder::IcType(char type) {
    contents.icDescriptor[9] = static_cast<uint8_t>(type);
    return *this;
}

ControlFileBuilder& ControlFileBuilder::WideOptions(bool wide) {
    contents.wideOptionLayout = wide;
    return *this;
}

}  // namespace vantrel::test
