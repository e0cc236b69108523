#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kt90::link {

// One serial port as the platform reports it.
struct SerialPortEntry {
  SerialPortEntry(std::string desc = {}, std::string name = {}, std::string location = {},
                  std::optional<std::uint16_t> vendor = {}, std::optional<std::uint16_t> product = {},
                  bool link = false)
      : description(std::move(desc)),
        portName(std::move(name)),
        systemLocation(std::move(location)),
        vendorId(vendor),
        productId(product),
        kt90Link(link) {}

  std::string description;
  std::string portName;                   // as QSerialPortInfo names it: COM3, ttyACM0
  std::string systemLocation;             // the path: \\.\COM3, /dev/ttyACM0
  std::optional<std::uint16_t> vendorId;  // USB ids, when the port is a USB device
  std::optional<std::uint16_t> productId;
  bool kt90Link = false;  // a /dev/kt90-N link of the udev rule points to it

  // A KT90 by its USB ids or by the rule's link.
  bool isProgrammer() const;
  // "KT90 (ttyACM0)" for a programmer, else description + " (" + port name + ")".
  std::string friendlyName() const;
};

// Marks the ports the udev rule's links point to; a link to a port the platform did not
// list adds that port.
void markKt90Links(std::vector<SerialPortEntry>& ports, const std::vector<std::filesystem::path>& linkTargets);

// The ports of `ports` a programmer may sit on, in the given order: programmers, and ports
// whose friendly name holds one of the accepted texts.
std::vector<SerialPortEntry> acceptedPorts(const std::vector<SerialPortEntry>& ports);

// The present serial ports of the platform, in enumeration order, marked by the rule's links.
std::vector<SerialPortEntry> availableSerialPorts();

// The entries of the port menu: availableSerialPorts() filtered by acceptedPorts().
std::vector<SerialPortEntry> programmerPorts();

}  // namespace kt90::link
