#pragma once
// The identity with which the writer enumerates: one vendor and product in both
// modes, told apart by the version (its application's or its boot loader's).

#include <cstdint>
#include <string>

#include "link/HidPlatform.h"

namespace vantrel {

constexpr uint32_t kBootLoaderVendorId = 0x0416;
constexpr uint32_t kBootLoaderProductId = 0x5020;
constexpr uint32_t kBootLoaderVersion = 0x8888;
constexpr uint32_t kApplicationVersion = 0x0100;

// Whether the interface with `attributes` is the writer's, in either mode.
inline bool IsWriter(const HidAttributes& attributes) {
    return attributes.vendorId == kBootLoaderVendorId &&
           attributes.productId == kBootLoaderProductId &&
           (attributes.versionNumber == kApplicationVersion ||
            attributes.versionNumber == kBootLoaderVersion);
}

// How a report trace names the interface of `version`: "app", "boot", or for an
// interface the writer's identities do not name "v" and four hex digits.
std::string TraceIdentity(uint16_t version);

}  // namespace vantrel
