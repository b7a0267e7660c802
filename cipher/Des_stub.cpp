#include "cipher/Des.h"
CDes::CDes() = default;
void CDes::SetKey(const uint8_t*) {}
void CDes::EncryptBlock(const uint8_t*) {}
void CDes::DecryptBlock(const uint8_t*) {}
void CDes::DecryptBuffer(const uint8_t*, uint32_t) {}
