#pragma once
// The simulated writer's firmware behind a USB HID gadget. Output reports read
// from the device side's /dev/hidgN go to the firmware as the tool's writes would;
// the firmware's input reports go back through /dev/hidgN. When the firmware
// leaves the bus (EnterLdrom, SystemReset) the gadget leaves the controller and
// comes back with the other mode's bcdDevice.

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "gadget/ConfigfsGadget.h"
#include "link/HidPlatform.h"
#include "sim/SimWriter.h"

namespace vantrel::gadget {

struct BridgeSettings {
    // After the K-th command of this name the writer is unplugged (and stays so):
    // how an unplug in the middle of a job is staged. Empty: never.
    std::string unplugAfter;
    int unplugOccurrence = 1;
    // Where the APROM is written after each return to the application and at the end
    // (by the rule of every output), and the files of the run it may not replace.
    std::string apromOut;
    std::vector<std::wstring> inputs;
    bool verbose = false;
};

class GadgetBridge {
public:
    GadgetBridge(sim::SimWriter& writer, ConfigfsGadget& gadget, BridgeSettings settings);
    ~GadgetBridge();

    // Creates and binds the gadget in the writer's present mode. false with a
    // message on standard error when that fails.
    bool Start();
    // Runs until `stop` is set. `toggle` (when set) unplugs the writer, or plugs it
    // in again in the mode it had; it is cleared when handled.
    bool Run(const std::atomic<bool>& stop, std::atomic<bool>& toggle);
    // Writes the APROM file (when asked for); false when it could not be written.
    bool SaveAprom();

private:
    bool Attach();  // gadget bound in the writer's mode, both sides' handles open
    void Detach();  // handles closed, gadget off the controller
    void Forward(const uint8_t* report, size_t length);
    void SendReply(const uint8_t* reply);
    void CheckUnplugTrigger();
    void Say(const std::string& text) const;

    sim::SimWriter& m_writer;
    ConfigfsGadget& m_gadget;
    BridgeSettings m_settings;
    int m_node = -1;  // /dev/hidgN
    HidHandle m_simRead = kInvalidHidHandle;
    HidHandle m_simWrite = kInvalidHidHandle;
    sim::SimMode m_attachedMode = sim::SimMode::Absent;
    sim::SimMode m_unpluggedMode = sim::SimMode::Absent;  // the mode before an unplug
    size_t m_recordSeen = 0;
    int m_unplugCount = 0;
    bool m_unplugged = false;
};

}  // namespace vantrel::gadget
