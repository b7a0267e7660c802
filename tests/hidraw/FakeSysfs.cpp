#include "tests/hidraw/FakeSysfs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace vantrel::test {

namespace {

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::string Hex4Upper(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

const char kUsbBus[] = "/sys/devices/pci0000:00/0000:00:14.0/usb1/";

}  // namespace

FakeSysfs::FakeSysfs() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-sysfs.XXXXXX").string();
    m_root = ::mkdtemp(pattern.data());
    fs::create_directories(m_root + "/sys/class/hidraw");
    fs::create_directories(m_root + "/dev");
}

FakeSysfs::~FakeSysfs() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

std::string FakeSysfs::Devnode(int hidraw) const {
    return DevRoot() + "/hidraw" + std::to_string(hidraw);
}

std::string FakeSysfs::AddHidraw(const std::string& parent, int hidraw, uint16_t bus,
                                 uint16_t vendorId, uint16_t productId, int sequence, Node node) {
    const std::string hidName = Hex4Upper(bus) + ":" + Hex4Upper(vendorId) + ":" +
                                Hex4Upper(productId) + "." +
                                Hex4Upper(static_cast<uint16_t>(sequence));
    const std::string hidDir = parent + "/" + hidName;
    const std::string name = "hidraw" + std::to_string(hidraw);
    const std::string nodeDir = hidDir + "/hidraw/" + name;
    fs::create_directories(nodeDir);
    WriteFile(hidDir + "/uevent", "DRIVER=hid-generic\nHID_ID=" + Hex4Upper(bus) + ":0000" +
                                      Hex4Upper(vendorId) + ":0000" + Hex4Upper(productId) +
                                      "\nHID_NAME=Test device\nMODALIAS=hid:b0003g0001\n");
    WriteFile(nodeDir + "/uevent",
              "MAJOR=241\nMINOR=" + std::to_string(hidraw) + "\nDEVNAME=" + name + "\n");
    const fs::path link = SysRoot() + "/class/hidraw/" + name;
    fs::create_directory_symlink(fs::relative(nodeDir, link.parent_path()), link);
    switch (node) {
        case Node::Fifo:
            ::mkfifo(Devnode(hidraw).c_str(), 0600);
            break;
        case Node::Directory:
            fs::create_directory(Devnode(hidraw));
            break;
        case Node::Missing:
            break;
    }
    return nodeDir;
}

std::string FakeSysfs::AddUsbDevice(int hidraw, const std::string& port, uint16_t vendorId,
                                    uint16_t productId, uint16_t bcdDevice, int sequence,
                                    Node node) {
    const std::string usbDir = m_root + kUsbBus + port;
    const std::string interfaceDir = usbDir + "/" + port + ":1.0";
    fs::create_directories(interfaceDir);
    WriteFile(usbDir + "/uevent", "DEVTYPE=usb_device\nDRIVER=usb\nPRODUCT=" + Hex4(vendorId) +
                                      "/" + Hex4(productId) + "/" + Hex4(bcdDevice) + "\n");
    WriteFile(usbDir + "/idVendor", Hex4(vendorId) + "\n");
    WriteFile(usbDir + "/idProduct", Hex4(productId) + "\n");
    SetBcdDevice(port, bcdDevice);
    WriteFile(interfaceDir + "/uevent", "DEVTYPE=usb_interface\nDRIVER=usbhid\n");
    return AddHidraw(interfaceDir, hidraw, 0x0003, vendorId, productId, sequence, node);
}

std::string FakeSysfs::AddBluetoothDevice(int hidraw, uint16_t vendorId, uint16_t productId,
                                          int sequence) {
    const std::string hostDir = m_root + "/sys/devices/virtual/misc/uhid";
    fs::create_directories(hostDir);
    return AddHidraw(hostDir, hidraw, 0x0005, vendorId, productId, sequence, Node::Fifo);
}

void FakeSysfs::SetBcdDevice(const std::string& port, uint16_t bcdDevice) {
    WriteFile(m_root + kUsbBus + port + "/bcdDevice", Hex4(bcdDevice) + "\n");
}

}  // namespace vantrel::test
