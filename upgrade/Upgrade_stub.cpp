#include "app/VantrelCore.h"
#include "upgrade/FirmwareImage.h"
namespace vantrel {
const uint8_t kFirmwareKey[8] = {'4', '0', '7', '1', '5', '2', '6', '3'};
uint32_t HexFieldValue(const char*, size_t) { return 0; }
uint32_t PageChecksum(const uint8_t*) { return 0; }
}
bool CVantrelCore::RunFirmwareUpgrade(const std::wstring&) { return false; }
bool CVantrelCore::LoadFirmwareImage(const std::wstring&, uint8_t*) { return false; }
bool CVantrelCore::EraseApromPage(uint32_t) { return false; }
bool CVantrelCore::ProgramApromPage(uint32_t, const uint8_t*) { return false; }
bool CVantrelCore::ReadApromChecksum(uint32_t, uint32_t&) { return false; }
uint8_t CVantrelCore::QueryBootLoader() { return 0; }
bool CVantrelCore::SystemReset() { return false; }
bool CVantrelCore::EnterLdrom() { return false; }
