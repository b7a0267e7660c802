#pragma once
// The configuration record: the deciphered contents of a control file, the
// settings derived from them, and the command and reply records that every
// writer command (configuration and boot loader alike) is built and answered in.
// It lives as long as the dialog; nothing in it is cleared when a job starts.

#include <cstdint>

namespace vantrel {

struct ConfigurationRecord {
    uint8_t m_snBlock[34] = {};
    uint8_t m_passBlock[8] = {};
    uint8_t m_idBlock[26] = {};
    uint8_t m_proCheckSum[8] = {};
    uint8_t m_inrcSet[5] = {};
    uint8_t m_leve = 0;
    uint8_t m_icParamBlock[16] = {};
    uint16_t m_nProgramWords = 0;
    uint16_t m_nEepromCount = 0;
    uint8_t m_optionBlock[44] = {};
    uint8_t m_optionBlockWide[56] = {};
    uint8_t m_commandRecord[64] = {};
    uint8_t m_replyRecord[64] = {};
    uint8_t m_icDescriptor[16] = {};
    uint8_t m_programImage[65536] = {};
    uint8_t m_eepromImage[256] = {};
    uint8_t m_nLowMask = 0;
    uint8_t m_nHighShift = 0;
    uint8_t m_nHighMask = 0;
    uint8_t m_nFamilyTag = 0;
    uint8_t m_nPackFlag = 0;
    uint8_t m_nCommandFamily = 2;
    uint8_t m_bWideOptionBlock = 0;
    uint8_t m_nProgramMode = 1;
    uint8_t m_icName[16] = {};
    uint8_t m_bSendIoSet = 0;
    uint8_t m_bSendIcName = 0;
    uint8_t m_bAskProgramMode = 0;
};

}  // namespace vantrel
