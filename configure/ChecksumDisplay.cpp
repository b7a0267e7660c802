#include "configure/ChecksumDisplay.h"

namespace vantrel {

namespace {

wchar_t HexDigit(uint8_t nibble) {
    return static_cast<wchar_t>(nibble < 10 ? L'0' + nibble : L'A' + (nibble - 10));
}

void AppendHexByte(std::wstring& text, uint8_t byte) {
    text.push_back(HexDigit(byte >> 4));
    text.push_back(HexDigit(byte & 0x0F));
}

}  // namespace

std::wstring SignedByteCharacters(const uint8_t* bytes, uint32_t count) {
    std::wstring text;
    for (uint32_t i = 0; i < count && bytes[i] != 0; ++i) {
        // Sign-extended to 16 bits, the width of a Windows wide character.
        const auto signedByte = static_cast<int8_t>(bytes[i]);
        text.push_back(
            static_cast<wchar_t>(static_cast<uint16_t>(static_cast<int16_t>(signedByte))));
    }
    return text;
}

ChecksumTexts FormatChecksumDisplay(uint8_t icType, const uint8_t idBlock[26],
                                    const uint8_t proCheckSum[8]) {
    ChecksumTexts texts;
    const std::wstring idCharacters = SignedByteCharacters(idBlock + 12, 4);
    if (icType == '5') {
        texts.first = idCharacters;
        texts.second = L" ";
    } else {
        AppendHexByte(texts.first, proCheckSum[3]);
        AppendHexByte(texts.first, proCheckSum[2]);
        texts.second = idCharacters;
    }
    return texts;
}

}  // namespace vantrel
