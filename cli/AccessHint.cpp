#include "cli/AccessHint.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/UdevRule.h"
#include "common/Text.h"
#include "protocol/WriterIdentity.h"

namespace vantrel::cli {

namespace {

bool IsPermissionError(int error) { return error == EACCES || error == EPERM; }

constexpr char kReload[] =
    "then run 'sudo udevadm control --reload' and 'sudo udevadm trigger "
    "--subsystem-match=hidraw', or plug the writer in again\n";

}  // namespace

const std::vector<std::string>& UdevRuleFolders() {
    static const std::vector<std::string> folders = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                                     "/usr/local/lib/udev/rules.d",
                                                     "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
    return folders;
}

std::string FindInstalledUdevRule(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" VANTREL_UDEV_RULE_NAME;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) return path;
    }
    return std::string();
}

std::wstring DescribeUnopenableWriters(const std::vector<UnopenableWriter>& writers,
                                       const std::string& installedRule) {
    std::string text;
    bool permission = false;
    for (const UnopenableWriter& writer : writers) {
        text += "vantrel-cli: writer found at " + writer.devnode + " but it cannot be opened (";
        if (IsPermissionError(writer.error)) {
            text += "permission denied)\n";
            permission = true;
        } else {
            text += std::string(std::strerror(writer.error)) + ")\n";
        }
    }
    if (!permission) return FromUtf8(text);
    if (installedRule.empty()) {
        text +=
            "vantrel-cli: no udev rule for the writer is installed: install the vantrel-cli "
            "package, or put this line into /etc/udev/rules.d/" VANTREL_UDEV_RULE_NAME
            ":\n"
            "  " VANTREL_UDEV_RULE_LINE "\n";
        text += kReload;
    } else {
        text += "vantrel-cli: the udev rule " + installedRule +
                " gives access to the user at the seat and to the group plugdev; without a seat "
                "(SSH, a service) add the user to plugdev ('sudo usermod -aG plugdev USER', then "
                "log in again); if the rule came after the writer, ";
        text += kReload;
    }
    return FromUtf8(text);
}

std::wstring InaccessibleWriterHint(OsBackend& os) {
    const std::vector<UnopenableWriter> writers =
        os.UnopenableNodes(kBootLoaderVendorId, kBootLoaderProductId);
    if (writers.empty()) return std::wstring();
    return DescribeUnopenableWriters(writers, FindInstalledUdevRule(UdevRuleFolders()));
}

}  // namespace vantrel::cli
