#pragma once
// An APROM image file, as the simulated writer starts from it: a regular file of
// exactly kApromSize bytes, read once through the bounded reader (a FIFO, a
// folder or a device is refused at once, never waited on or read without end).

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::sim {

// Reads the image at `path` into `aprom`. Empty on success, else why it cannot be
// used ("is not a regular file", "holds 12 bytes; an APROM image holds 69632").
std::string ReadApromImageFile(const std::wstring& path, std::vector<uint8_t>& aprom);

}  // namespace vantrel::sim
