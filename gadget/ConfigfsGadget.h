#pragma once
// A USB HID gadget made through configfs: the writer's vendor and product id, a
// bcdDevice that tells its application (0x0100) from its boot loader (0x8888),
// one configuration with one HID function (vendor page, 64-byte input and output
// reports, no report ids), bound to a USB device controller. Unbinding and binding
// again with another bcdDevice is a re-enumeration: the host sees the device leave
// and a new one arrive.

#include <cstdint>
#include <string>

namespace vantrel::gadget {

struct GadgetSettings {
    std::string configfs = "/sys/kernel/config";
    std::string name = "vantrel";  // the gadget's folder under usb_gadget/
    std::string udc;               // empty: the first controller in /sys/class/udc
    uint16_t vendorId = 0x0416;
    uint16_t productId = 0x5020;
};

class ConfigfsGadget {
public:
    explicit ConfigfsGadget(GadgetSettings settings);
    ~ConfigfsGadget();  // removes the gadget
    ConfigfsGadget(const ConfigfsGadget&) = delete;
    ConfigfsGadget& operator=(const ConfigfsGadget&) = delete;

    // Makes the gadget's folders and files (after removing a stale gadget of the
    // same name). false with `Error()` when configfs or the HID function is missing.
    bool Create(uint16_t bcdDevice);
    // Attaches to the controller / leaves it. Binding waits until the device side's
    // /dev/hidgN exists.
    bool Bind();
    bool Unbind();
    bool SetBcdDevice(uint16_t bcdDevice);
    // Leaves the controller and removes every folder made by Create, in reverse.
    void Remove();

    // The device side's report node, e.g. /dev/hidg0; valid while bound.
    const std::string& ReportNode() const { return m_reportNode; }
    const std::string& Controller() const { return m_udc; }
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& text);
    bool WriteAttribute(const std::string& relative, const std::string& value);

    GadgetSettings m_settings;
    std::string m_root;  // <configfs>/usb_gadget/<name>
    std::string m_udc;
    std::string m_reportNode;
    std::string m_error;
    bool m_created = false;
};

// The controller to bind to: `wanted` if given, else the first entry of
// /sys/class/udc; empty when there is none.
std::string FindController(const std::string& wanted);

}  // namespace vantrel::gadget
