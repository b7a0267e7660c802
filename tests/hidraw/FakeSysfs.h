#pragma once
// A fake sysfs tree and /dev directory under a fresh temporary folder, laid out
// as the kernel lays out USB HID devices:
//   sys/devices/pci0000:00/0000:00:14.0/usb1/<port>          (DEVTYPE=usb_device)
//       <port>:1.0                                            (DEVTYPE=usb_interface)
//       <port>:1.0/0003:VVVV:PPPP.NNNN                        (HID_ID=0003:0000VVVV:0000PPPP)
//       <port>:1.0/0003:VVVV:PPPP.NNNN/hidraw/hidrawK         (DEVNAME=hidrawK)
//   sys/class/hidraw/hidrawK -> ../../devices/.../hidraw/hidrawK
//   dev/hidrawK                                               (a FIFO, unless asked otherwise)

#include <cstdint>
#include <string>

namespace vantrel::test {

class FakeSysfs {
public:
    FakeSysfs();
    ~FakeSysfs();
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    std::string SysRoot() const { return m_root + "/sys"; }
    std::string DevRoot() const { return m_root + "/dev"; }

    enum class Node { Fifo, Missing, Directory };
    // A USB HID device on `port` (e.g. "1-2") with one hidraw node; returns its
    // sysfs path.
    std::string AddUsbDevice(int hidraw, const std::string& port, uint16_t vendorId,
                             uint16_t productId, uint16_t bcdDevice, int sequence,
                             Node node = Node::Fifo);
    // A HID device that is not on USB (Bluetooth): no bcdDevice anywhere.
    std::string AddBluetoothDevice(int hidraw, uint16_t vendorId, uint16_t productId, int sequence);
    // Rewrites the bcdDevice of the USB device on `port`.
    void SetBcdDevice(const std::string& port, uint16_t bcdDevice);
    std::string Devnode(int hidraw) const;

private:
    std::string AddHidraw(const std::string& parent, int hidraw, uint16_t bus, uint16_t vendorId,
                          uint16_t productId, int sequence, Node node);
    std::string m_root;
};

}  // namespace vantrel::test
