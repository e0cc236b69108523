#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/programmer/CKT90Driver.h"

// The serial side of the connection factory, one file per platform: Qt SerialPort
// (SerialPortsQt.cpp), COM ports on Windows (SerialPortsWindows.cpp), none in a build
// without either (SerialPortsNone.cpp).
namespace kt90 {

bool haveSerialPorts();
// Done once before serial drivers are made on several threads.
void prepareSerialPorts();
// The driver for a programmer on a serial port; nullptr without serial ports.
std::unique_ptr<CKT90Driver> makeSerialDriver();

struct SerialPortListing {
  std::string port;  // what --port takes
  std::string name;  // the friendly name the window shows
  std::optional<std::uint16_t> vendorId;
  std::optional<std::uint16_t> productId;
};
// The ports `kt90ctl ports` lists.
std::vector<SerialPortListing> listSerialPorts();

// The device path of `port` when it exists but this user may not open it.
std::optional<std::string> serialPortDenied(const std::string& port);

}  // namespace kt90
