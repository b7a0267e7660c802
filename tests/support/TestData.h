#pragma once
// Files of tests/data. The folder's path is the Linux path of the source tree;
// under Wine the same folder is reached through drive Z:.

#include <string>

namespace vantrel::test {

// The wide path of tests/data/<name> as this platform reaches it.
std::wstring TestDataPath(const std::string& name);
// The whole text of tests/data/<name>; empty when it cannot be read.
std::string ReadTestData(const std::string& name);

}  // namespace vantrel::test
