#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt90::wire {

// A COM port as the Windows registry names it.
struct ComPortInfo {
  std::string portName;                   // COM5
  std::string description;                // the device's friendly name without "(COM5)", else its device name
  std::optional<std::uint16_t> vendorId;  // USB ids, when the port is a USB device
  std::optional<std::uint16_t> productId;
};

// The COM ports of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM in COM-number order, with the USB ids
// of the devices below HKLM\SYSTEM\CurrentControlSet\Enum\USB whose PortName they are
// (Windows builds only).
std::vector<ComPortInfo> listComPorts();

// The ids of a USB device key's name: "VID_1209&PID_6B90" (a "&MI_00" may follow).
std::optional<std::pair<std::uint16_t, std::uint16_t>> usbIdsFromDeviceKey(std::string_view name);

// "USB Serial Device (COM5)" gives "USB Serial Device"; other texts stay as they are.
std::string withoutPortSuffix(std::string_view friendlyName, std::string_view portName);

// "COM7", "com7" and "\\.\COM12" all name \\.\COMn, the form every COM number opens by;
// other texts are used as they are.
std::string comPortPath(const std::string& portName);

// COM2 before COM10; other names after them, by text.
bool comPortBefore(const std::string& a, const std::string& b);

}  // namespace kt90::wire
