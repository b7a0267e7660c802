#pragma once
// What vantrel-cli says when a writer is attached but cannot be opened: the node and
// its reason, and for a permission error where the udev rule that grants access is
// installed, or the rule's line to install when it is not.

#include <string>
#include <vector>

#include "link/OsBackend.h"

namespace vantrel::cli {

using UnopenableWriter = UnopenableNode;

// The folders udev reads its rules from, in its order of precedence.
const std::vector<std::string>& UdevRuleFolders();
// The path of the writer's rule in the first of `folders` that holds it; empty when
// none does.
std::string FindInstalledUdevRule(const std::vector<std::string>& folders);

// The explanation for standard error, one line per node, then what to do when any of
// them is a permission error. `installedRule` is FindInstalledUdevRule's answer.
std::wstring DescribeUnopenableWriters(const std::vector<UnopenableWriter>& writers,
                                       const std::string& installedRule);

// When no writer was found: a plain explanation if a writer is attached but the
// backend `os` cannot open it (and how to fix it), for standard error; empty
// otherwise.
std::wstring InaccessibleWriterHint(OsBackend& os);

}  // namespace vantrel::cli
