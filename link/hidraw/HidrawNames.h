#pragma once
// How hidraw device nodes are named as HID interfaces, and the small parsers the
// hidraw backend shares.
//
// An interface name has the form
//     hidraw#VID_0416&PID_5020#0003:0416:5020.0007#/dev/hidraw3
// "hidraw#" is 7 characters, so the identity text starts at character 7, where
// presence tracking searches it; the HID device's kernel name makes the name
// unique per attachment; the device node comes last. The name is built from the
// node's sysfs path and device node alone, so a removal (whose sysfs entries are
// already gone) yields exactly the name that the enumeration gave.

#include <cstdint>
#include <string>

namespace vantrel::hidraw {

// The kernel name of the HID device in a hidraw node's sysfs path (the path
// component of the form BBBB:VVVV:PPPP.NNNN); empty when there is none.
std::string HidDeviceNameOf(const std::string& syspath);

// The interface name of a hidraw node; vendor and product come from the HID
// device's kernel name (0000 when the path holds none).
std::wstring InterfaceName(const std::string& syspath, const std::string& devnode);

// The device node of an interface name made by InterfaceName; empty when `name`
// is not such a name.
std::string DevnodeOf(const std::wstring& name);

// "0003:00000416:00005020" (bus:vendor:product, as in the HID_ID property).
bool ParseHidId(const std::string& text, uint16_t& vendorId, uint16_t& productId);

// 1 to 4 hexadecimal digits, surrounding white space allowed ("0100\n").
bool ParseHex16(const std::string& text, uint16_t& value);

}  // namespace vantrel::hidraw
