#include "link/PortList.h"

#include <QSerialPortInfo>

#include "link/DeviceLinks.h"
#include "link/PortText.h"
#include "link/UsbIds.h"

namespace kt90::link {

bool SerialPortEntry::isProgrammer() const {
  return kt90Link || (vendorId == kKt90UsbVendorId && productId == kKt90UsbProductId);
}

std::string SerialPortEntry::friendlyName() const {
  return friendlyPortName(isProgrammer() ? kKt90PortDescription : description, portName);
}

void markKt90Links(std::vector<SerialPortEntry>& ports, const std::vector<std::filesystem::path>& linkTargets) {
  for (const std::filesystem::path& target : linkTargets) {
    bool listed = false;
    for (SerialPortEntry& port : ports) {
      if (std::filesystem::path(port.systemLocation).lexically_normal() != target) continue;
      port.kt90Link = true;
      listed = true;
    }
    if (listed) continue;
    // Named as the platform names ports: relative to /dev (ttyACM0, pts/3), else the path.
    const std::string path = target.string();
    const std::string name = path.rfind("/dev/", 0) == 0 ? path.substr(5) : path;
    ports.push_back({kKt90PortDescription, name, path, {}, {}, true});
  }
}

std::vector<SerialPortEntry> acceptedPorts(const std::vector<SerialPortEntry>& ports) {
  std::vector<SerialPortEntry> accepted;
  for (const SerialPortEntry& port : ports) {
    if (port.isProgrammer() || isAcceptedPortText(port.friendlyName())) accepted.push_back(port);
  }
  return accepted;
}

std::vector<SerialPortEntry> availableSerialPorts() {
  std::vector<SerialPortEntry> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialPortEntry entry{info.description().toStdString(), info.portName().toStdString(),
                          info.systemLocation().toStdString()};
    if (info.hasVendorIdentifier()) entry.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier()) entry.productId = info.productIdentifier();
    ports.push_back(std::move(entry));
  }
  markKt90Links(ports, kt90LinkTargets());
  return ports;
}

std::vector<SerialPortEntry> programmerPorts() { return acceptedPorts(availableSerialPorts()); }

}  // namespace kt90::link
