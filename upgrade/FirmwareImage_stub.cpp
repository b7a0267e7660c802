#include "app/VantrelCore.h"
bool CVantrelCore::LoadFirmwareImage(const std::wstring&, uint8_t*) { return false; }
