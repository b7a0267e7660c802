#include "gadget/ConfigfsGadget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace vantrel::gadget {

namespace {

// Vendor-defined page, one collection: 64 input bytes, 64 output bytes.
const uint8_t kReportDescriptor[] = {0x06, 0x00, 0xff, 0x09, 0x01, 0xa1, 0x01, 0x09, 0x02,
                                     0x15, 0x00, 0x26, 0xff, 0x00, 0x75, 0x08, 0x95, 0x40,
                                     0x81, 0x02, 0x09, 0x03, 0x15, 0x00, 0x26, 0xff, 0x00,
                                     0x75, 0x08, 0x95, 0x40, 0x91, 0x02, 0xc0};

constexpr auto kNodeWait = std::chrono::seconds(5);

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}

std::string ReadLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::string FindController(const std::string& wanted) {
    if (!wanted.empty()) return wanted;
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("/sys/class/udc", error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names.empty() ? std::string() : names.front();
}

ConfigfsGadget::ConfigfsGadget(GadgetSettings settings)
    : m_settings(std::move(settings)),
      m_root(m_settings.configfs + "/usb_gadget/" + m_settings.name) {}

ConfigfsGadget::~ConfigfsGadget() { Remove(); }

bool ConfigfsGadget::Fail(const std::string& text) {
    m_error = text;
    return false;
}

bool ConfigfsGadget::WriteAttribute(const std::string& relative, const std::string& value) {
    const std::string path = m_root + "/" + relative;
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return Fail("cannot open " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(value.data(), 1, value.size(), file) == value.size();
    // configfs takes the value when the file is closed (flushed).
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) return Fail("cannot write " + path + ": " + std::strerror(errno));
    return true;
}

bool ConfigfsGadget::Create(uint16_t bcdDevice) {
    if (!fs::is_directory(m_settings.configfs + "/usb_gadget"))
        return Fail(m_settings.configfs +
                    "/usb_gadget is missing: mount configfs and load libcomposite");
    m_udc = FindController(m_settings.udc);
    if (m_udc.empty())
        return Fail("no USB device controller in /sys/class/udc (load dummy_hcd, or the board's)");
    if (fs::exists(m_root)) {
        m_created = true;  // a gadget left behind by an earlier run
        Remove();
    }
    for (const char* folder : {"", "/strings/0x409", "/configs/c.1", "/configs/c.1/strings/0x409",
                               "/functions/hid.usb0"}) {
        const std::string path = m_root + folder;
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            m_created = true;
            Remove();
            return Fail("cannot make " + path + ": " + std::strerror(errno) +
                        (std::strstr(folder, "hid") ? " (load usb_f_hid)" : ""));
        }
        m_created = true;
    }
    const std::string descriptor(reinterpret_cast<const char*>(kReportDescriptor),
                                 sizeof kReportDescriptor);
    const bool ok = WriteAttribute("idVendor", Hex4(m_settings.vendorId)) &&
                    WriteAttribute("idProduct", Hex4(m_settings.productId)) &&
                    WriteAttribute("bcdDevice", Hex4(bcdDevice)) &&
                    WriteAttribute("bcdUSB", "0x0200") &&
                    WriteAttribute("strings/0x409/manufacturer", "Vantrel") &&
                    WriteAttribute("strings/0x409/product", "Vantrel writer (simulated)") &&
                    WriteAttribute("configs/c.1/strings/0x409/configuration", "HID") &&
                    WriteAttribute("configs/c.1/MaxPower", "100") &&
                    WriteAttribute("functions/hid.usb0/protocol", "0") &&
                    WriteAttribute("functions/hid.usb0/subclass", "0") &&
                    WriteAttribute("functions/hid.usb0/report_length", "64") &&
                    WriteAttribute("functions/hid.usb0/report_desc", descriptor);
    if (!ok) {
        Remove();
        return false;
    }
    const std::string link = m_root + "/configs/c.1/hid.usb0";
    if (::symlink((m_root + "/functions/hid.usb0").c_str(), link.c_str()) != 0) {
        const std::string error = std::strerror(errno);
        Remove();
        return Fail("cannot link the HID function into the configuration: " + error);
    }
    return true;
}

bool ConfigfsGadget::SetBcdDevice(uint16_t bcdDevice) {
    return WriteAttribute("bcdDevice", Hex4(bcdDevice));
}

bool ConfigfsGadget::Bind() {
    if (!WriteAttribute("UDC", m_udc)) return false;
    // The function's character device is "major:minor"; its node is /dev/hidg<minor>.
    const std::string dev = ReadLine(m_root + "/functions/hid.usb0/dev");
    const size_t colon = dev.find(':');
    if (colon == std::string::npos) return Fail("the HID function has no device number");
    m_reportNode = "/dev/hidg" + dev.substr(colon + 1);
    const auto deadline = std::chrono::steady_clock::now() + kNodeWait;
    while (::access(m_reportNode.c_str(), R_OK | W_OK) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return Fail(m_reportNode + " did not appear after binding");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool ConfigfsGadget::Unbind() {
    if (ReadLine(m_root + "/UDC").empty()) return true;
    return WriteAttribute("UDC", "\n");
}

void ConfigfsGadget::Remove() {
    if (!m_created) return;
    m_created = false;
    if (fs::exists(m_root + "/UDC")) Unbind();
    // configfs folders go with rmdir, innermost first; the link with unlink.
    ::unlink((m_root + "/configs/c.1/hid.usb0").c_str());
    for (const char* folder : {"/configs/c.1/strings/0x409", "/configs/c.1", "/functions/hid.usb0",
                               "/strings/0x409", ""}) {
        ::rmdir((m_root + folder).c_str());
    }
}

}  // namespace vantrel::gadget
