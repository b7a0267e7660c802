#pragma once
// What the IC type character and the family number of a control file decide:
// the word-packing entry of the program data, the command-family byte and
// whether the operator is asked for the programming mode.

#include <cstdint>

namespace vantrel {

// How a 16-bit program word is split into the two bytes of a packed data report,
// and the two values that travel with it in the IC settings.
struct WordPacking {
    uint8_t lowMask;
    uint8_t highShift;
    uint8_t highMask;
    uint8_t familyTag;
    uint8_t packFlag;

    bool operator==(const WordPacking&) const = default;
};

// The entry for a family number (option block bytes 12-15). Numbers outside 3-10,
// negative ones included, take the 14-bit default entry.
WordPacking LookUpWordPacking(int32_t familyNumber);

// 3 for the IC types '3' and '5', 2 for every other character.
uint8_t CommandFamilyFor(uint8_t icType);

// True for the IC types whose programming mode (six-wire or five-wire) the
// operator chooses: '7', '9' to 'A' in code order, 'F', 'I', 'K' to 'N' and 'P'.
bool AsksProgramMode(uint8_t icType);

}  // namespace vantrel
