// The hidraw nodes remembered from one enumeration to the next: each read once
// while it stays listed, in sysfs order, and forgotten when it goes.

#include "link/hidraw/HidrawNodeCache.h"

#include <gtest/gtest.h>

using namespace vantrel::hidraw;

namespace {

const std::string kApp = "/sys/devices/x/1-1:1.0/0003:0416:5020.0005/hidraw/hidraw0";
const std::string kBoot = "/sys/devices/x/1-1:1.0/0003:0416:5020.0006/hidraw/hidraw1";
const std::string kKeyboard = "/sys/devices/a/1-2:1.0/0003:046D:C31C.0001/hidraw/hidraw2";

struct CountingResolver {
    std::map<std::string, int> reads;
    std::string failing;
    bool operator()(const std::string& syspath, HidrawNode& node) {
        ++reads[syspath];
        if (syspath == failing) return false;
        node.syspath = syspath;
        node.devnode = "/dev/" + syspath.substr(syspath.rfind('/') + 1);
        return true;
    }
};

std::vector<std::string> Paths(const std::vector<HidrawNode>& nodes) {
    std::vector<std::string> paths;
    for (const HidrawNode& node : nodes) paths.push_back(node.syspath);
    return paths;
}

TEST(HidrawNodeCache, EachNodeIsReadOnceWhileListedAndTheOrderIsSysfsOrder) {
    HidrawNodeCache cache;
    CountingResolver resolver;
    auto resolve = [&](const std::string& path, HidrawNode& node) { return resolver(path, node); };
    EXPECT_EQ(Paths(cache.Nodes({kApp, kKeyboard}, resolve)),
              (std::vector<std::string>{kKeyboard, kApp}));
    EXPECT_EQ(Paths(cache.Nodes({kKeyboard, kApp}, resolve)),
              (std::vector<std::string>{kKeyboard, kApp}));
    EXPECT_EQ(resolver.reads[kApp], 1);
    EXPECT_EQ(resolver.reads[kKeyboard], 1);

    // The writer restarts: a new instance is read, the old one is forgotten, and a
    // path that comes back (it cannot on a real kernel) would be read anew.
    EXPECT_EQ(Paths(cache.Nodes({kBoot, kKeyboard}, resolve)),
              (std::vector<std::string>{kKeyboard, kBoot}));
    cache.Nodes({kApp}, resolve);
    EXPECT_EQ(resolver.reads[kApp], 2);
    EXPECT_EQ(resolver.reads[kKeyboard], 1);
}

TEST(HidrawNodeCache, NodeThatCannotBeReadIsLeftOutAndTriedAgain) {
    HidrawNodeCache cache;
    CountingResolver resolver;
    resolver.failing = kApp;
    auto resolve = [&](const std::string& path, HidrawNode& node) { return resolver(path, node); };
    EXPECT_EQ(Paths(cache.Nodes({kApp, kKeyboard}, resolve)), std::vector<std::string>{kKeyboard});
    resolver.failing.clear();
    const std::vector<HidrawNode> nodes = cache.Nodes({kApp, kKeyboard}, resolve);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[1].devnode, "/dev/hidraw0");
    EXPECT_EQ(resolver.reads[kApp], 2);
}

}  // namespace
