#include "configure/ControlFile.h"
namespace vantrel {
uint16_t Crc16(const uint8_t*, uint32_t) { return 0; }
std::wstring ControlFileResultText(ControlFileResult) { return {}; }
ControlFileResult LoadControlFile(const std::wstring&, ControlFile&) { return ControlFileResult::CannotOpen; }
}
