#include "configure/IcRules.h"

namespace vantrel {

WordPacking LookUpWordPacking(int32_t familyNumber) {
    switch (familyNumber) {
        case 3:  // 11-bit words
            return {0x7F, 7, 0x0F, 0x1F, 1};
        case 4:  // 13-bit words
            return {0x7F, 7, 0x3F, 0x1F, 1};
        case 5:  // 15-bit words
            return {0xFF, 8, 0x7F, 0x1F, 0};
        case 6:  // 16-bit words
            return {0xFF, 8, 0xFF, 0x1F, 0};
        case 7:
        case 9:
        case 10:  // 14-bit words, split at bit 8
            return {0xFF, 8, 0x3F, 0x1F, 0};
        case 8:  // 14-bit words with their own tag
            return {0x7F, 7, 0x7F, 0xE0, 1};
        default:  // 14-bit words, split at bit 7
            return {0x7F, 7, 0x7F, 0x1F, 1};
    }
}

uint8_t CommandFamilyFor(uint8_t icType) { return (icType == '3' || icType == '5') ? 3 : 2; }

bool AsksProgramMode(uint8_t icType) {
    if (icType == '7' || icType == 'F' || icType == 'I' || icType == 'P') return true;
    if (icType >= '9' && icType <= 'A') return true;  // '9' ':' ';' '<' '=' '>' '?' '@' 'A'
    return icType >= 'K' && icType <= 'N';
}

}  // namespace vantrel
