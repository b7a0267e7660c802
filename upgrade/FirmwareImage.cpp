#include "upgrade/FirmwareImage.h"

namespace vantrel {

const uint8_t kFirmwareKey[8] = {'4', '0', '7', '1', '5', '2', '6', '3'};

uint32_t HexFieldValue(const char* field, size_t length) {
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        const char c = field[i];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        value = value * 16 + digit;  // wraps modulo 2^32, keeping the low digits exact
    }
    return value;
}

uint32_t PageChecksum(const uint8_t* page) {
    uint32_t sum = 0;
    for (uint32_t i = 0; i < kPageSize; i += 4)
        sum += static_cast<uint32_t>(page[i]) | static_cast<uint32_t>(page[i + 1]) << 8 |
               static_cast<uint32_t>(page[i + 2]) << 16 | static_cast<uint32_t>(page[i + 3]) << 24;
    return sum;
}

}  // namespace vantrel
