#include "app/VantrelCore.h"
bool CVantrelCore::RunFirmwareUpgrade(const std::wstring&) { return false; }
bool CVantrelCore::EraseApromPage(uint32_t) { return false; }
bool CVantrelCore::ProgramApromPage(uint32_t, const uint8_t*) { return false; }
bool CVantrelCore::ReadApromChecksum(uint32_t, uint32_t&) { return false; }
bool CVantrelCore::SystemReset() { return false; }
bool CVantrelCore::EnterLdrom() { return false; }
