#include "app/VantrelCore.h"
#include "upgrade/FirmwareImage.h"
namespace vantrel {
const uint8_t kFirmwareKey[8] = {'4', '0', '7', '1', '5', '2', '6', '3'};
uint32_t HexFieldValue(const char*, size_t) { return 0; }
uint32_t PageChecksum(const uint8_t*) { return 0; }
}
bool CVantrelCore::LoadFirmwareImage(const std::wstring&, uint8_t*) { return false; }
