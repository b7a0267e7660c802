#include "app/VantrelCore.h"
bool CVantrelCore::RunConfigurationJob() { return false; }
bool CVantrelCore::ConfigureWriter(const vantrel::ControlFile&) { return false; }
bool CVantrelCore::DecodeConfiguration(const vantrel::ControlFile&) { return false; }
bool CVantrelCore::DownIC() { return false; }
bool CVantrelCore::SendCommand() { return false; }
bool CVantrelCore::SendCommandWithData(const uint8_t*) { return false; }
