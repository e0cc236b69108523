#pragma once
#include <string>
#include <vector>

namespace kt90::link {

// One serial port as the platform reports it.
struct SerialPortEntry {
  std::string description;
  std::string portName;        // as QSerialPortInfo names it: COM3, ttyACM0
  std::string systemLocation;  // the path: \\.\COM3, /dev/ttyACM0
  std::string friendlyName() const;
};

// The ports of `ports` a programmer may sit on, in the given order.
std::vector<SerialPortEntry> acceptedPorts(const std::vector<SerialPortEntry>& ports);

// The present serial ports of the platform, in enumeration order.
std::vector<SerialPortEntry> availableSerialPorts();

// The entries of the port menu: availableSerialPorts() filtered by the accepted texts.
std::vector<SerialPortEntry> programmerPorts();

}  // namespace kt90::link
