#include <QCoreApplication>

#include "connect/SerialPorts.h"
#include "link/PortAccess.h"
#include "link/PortList.h"
#include "link/SerialDriver.h"

namespace kt90 {

namespace {

// Serial ports want a Qt application object in the process; a window already has one.
void ensureQtApplication() {
  static int argc = 1;
  static char name[] = "kt90ctl";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) static QCoreApplication app(argc, argv);
}

}  // namespace

bool haveSerialPorts() { return true; }

void prepareSerialPorts() { ensureQtApplication(); }

std::unique_ptr<CKT90Driver> makeSerialDriver() {
  ensureQtApplication();
  return std::make_unique<link::SerialDriver>();
}

std::vector<SerialPortListing> listSerialPorts() {
  ensureQtApplication();
  std::vector<SerialPortListing> ports;
  for (const link::SerialPortEntry& entry : link::programmerPorts())
    ports.push_back({entry.portName, entry.friendlyName(), entry.vendorId, entry.productId});
  return ports;
}

std::optional<std::string> serialPortDenied(const std::string& port) { return link::portDeniedToUser(port); }

}  // namespace kt90
