#pragma once
// What vantrel-cli says when a writer is attached but cannot be opened: the node and
// its reason, and for a permission error where the udev rule that grants access is
// installed, or the rule's line to install when it is not.

#include <string>
#include <vector>

namespace vantrel::cli {

struct UnopenableWriter {
    std::string devnode;
    int error = 0;  // errno of the failed open
};

// The folders udev reads its rules from, in its order of precedence.
const std::vector<std::string>& UdevRuleFolders();
// The path of the writer's rule in the first of `folders` that holds it; empty when
// none does.
std::string FindInstalledUdevRule(const std::vector<std::string>& folders);

// The explanation for standard error, one line per node, then what to do when any of
// them is a permission error. `installedRule` is FindInstalledUdevRule's answer.
std::wstring DescribeUnopenableWriters(const std::vector<UnopenableWriter>& writers,
                                       const std::string& installedRule);

}  // namespace vantrel::cli
