#include "link/hidraw/HidrawNodeCache.h"

#include <algorithm>

namespace vantrel::hidraw {

std::vector<HidrawNode> HidrawNodeCache::Nodes(std::vector<std::string> syspaths,
                                               const Resolver& resolve) {
    std::sort(syspaths.begin(), syspaths.end());
    syspaths.erase(std::unique(syspaths.begin(), syspaths.end()), syspaths.end());
    std::map<std::string, HidrawNode> present;
    std::vector<HidrawNode> nodes;
    for (const std::string& syspath : syspaths) {
        auto known = m_known.find(syspath);
        HidrawNode node;
        if (known != m_known.end()) {
            node = known->second;
        } else if (!resolve(syspath, node)) {
            continue;
        }
        present.emplace(syspath, node);
        nodes.push_back(std::move(node));
    }
    m_known.swap(present);
    return nodes;
}

}  // namespace vantrel::hidraw
