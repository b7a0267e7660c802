#pragma once
// Builds control files for tests: starts from plausible plain items, lets a test
// change what it cares about, and produces the enciphered 34718-byte image.

#include <cstdint>
#include <string>
#include <vector>

#include "configure/ControlFileWriter.h"

namespace vantrel::test {

class ControlFileBuilder {
public:
    // A small program (0x40 words counting up), 16 EEPROM bytes, IC type '2', the
    // 44-byte option layout, a fixed key and name, and every parameter block filled
    // with a recognisable pattern.
    ControlFileBuilder();

    ControlFileBuilder& Name(const std::string& name);
    ControlFileBuilder& Key(const uint8_t key[8]);
    ControlFileBuilder& ProgramWords(std::vector<uint16_t> words);
    ControlFileBuilder& EepromBytes(std::vector<uint8_t> bytes);
    ControlFileBuilder& IcType(char type);
    ControlFileBuilder& WideOptions(bool wide);

    // The complete control file with both checksums right.
    std::vector<uint8_t> Build() const { return BuildControlFile(contents); }

    ControlFileContents contents;
};

}  // namespace vantrel::test
