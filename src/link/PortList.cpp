#include "link/PortList.h"

#include <QSerialPortInfo>

#include "link/PortText.h"

namespace kt90::link {

std::string SerialPortEntry::friendlyName() const { return friendlyPortName(description, portName); }

std::vector<SerialPortEntry> acceptedPorts(const std::vector<SerialPortEntry>& ports) {
  std::vector<SerialPortEntry> accepted;
  for (const SerialPortEntry& port : ports) {
    if (isAcceptedPortText(port.friendlyName())) accepted.push_back(port);
  }
  return accepted;
}

std::vector<SerialPortEntry> availableSerialPorts() {
  std::vector<SerialPortEntry> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    ports.push_back(
        {info.description().toStdString(), info.portName().toStdString(), info.systemLocation().toStdString()});
  }
  return ports;
}

std::vector<SerialPortEntry> programmerPorts() { return acceptedPorts(availableSerialPorts()); }

}  // namespace kt90::link
