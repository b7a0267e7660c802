// The hint for a writer that is attached but cannot be opened: which udev rule is
// found, and what the operator is told with and without it.

#include "cli/AccessHint.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "common/Text.h"
#include "tests/support/TempDir.h"

using vantrel::ToUtf8;
using namespace vantrel::cli;

TEST(AccessHint, TheFirstFolderHoldingTheRuleWins) {
    vantrel::test::TempDir dir;
    const std::string etc = ToUtf8(dir.MakeDir(L"etc"));
    const std::string lib = ToUtf8(dir.MakeDir(L"lib"));
    const std::string missing = ToUtf8(dir.File(L"missing"));
    EXPECT_EQ(FindInstalledUdevRule({missing, etc, lib}), "");
    dir.Write(L"lib/60-vantrel.rules", std::string("rule\n"));
    EXPECT_EQ(FindInstalledUdevRule({missing, etc, lib}), lib + "/60-vantrel.rules");
    dir.Write(L"etc/60-vantrel.rules", std::string("rule\n"));
    EXPECT_EQ(FindInstalledUdevRule({missing, etc, lib}), etc + "/60-vantrel.rules");
    dir.MakeDir(L"other");
    dir.MakeDir(L"other/60-vantrel.rules");  // a folder of that name is no rule
    EXPECT_EQ(FindInstalledUdevRule({ToUtf8(dir.File(L"other"))}), "");
}

TEST(AccessHint, WhatTheOperatorIsTold) {
    const std::string rule = "/usr/lib/udev/rules.d/60-vantrel.rules";
    const std::string node = "vantrel-cli: writer found at /dev/hidraw3 but it cannot be opened";
    struct Case {
        std::vector<UnopenableWriter> writers;
        std::string installed;
        std::vector<std::string> contains;
        std::vector<std::string> lacks;
    };
    const Case cases[] = {
        // Another error than permission: the reason, no advice about rules.
        {{{"/dev/hidraw3", EIO}}, rule, {node + " (" + std::strerror(EIO) + ")\n"}, {"udev"}},
        // Installed: the rule's path, the group for logins without a seat.
        {{{"/dev/hidraw3", EACCES}},
         rule,
         {node + " (permission denied)\n", "the udev rule " + rule + " gives access", "plugdev",
          "udevadm trigger"},
         {"SUBSYSTEM"}},
        // Not installed: the rule's whole line to copy, indented on a line of its own.
        {{{"/dev/hidraw3", EPERM}},
         "",
         {node + " (permission denied)\n", "/etc/udev/rules.d/60-vantrel.rules:\n",
          "\n  SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"0416\", ATTRS{idProduct}==\"5020\", "
          "ATTRS{bcdDevice}==\"0100|8888\", TAG+=\"uaccess\", MODE=\"0660\", GROUP=\"plugdev\"\n"},
         {}},
        // Two nodes: one line each, the advice once.
        {{{"/dev/hidraw3", EACCES}, {"/dev/hidraw4", EACCES}},
         rule,
         {"/dev/hidraw3 but", "/dev/hidraw4 but"},
         {}},
    };
    for (const Case& c : cases) {
        const std::string text = ToUtf8(DescribeUnopenableWriters(c.writers, c.installed));
        SCOPED_TRACE(text);
        for (const std::string& part : c.contains)
            EXPECT_NE(text.find(part), std::string::npos) << part;
        for (const std::string& part : c.lacks)
            EXPECT_EQ(text.find(part), std::string::npos) << part;
        EXPECT_EQ(text.back(), '\n');
        size_t advice = 0;
        for (size_t at = text.find("udevadm control"); at != std::string::npos;
             at = text.find("udevadm control", at + 1))
            ++advice;
        EXPECT_LE(advice, 1u);
    }
}
