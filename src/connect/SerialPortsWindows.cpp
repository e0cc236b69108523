#include "connect/SerialPorts.h"
#include "link/UsbIds.h"
#include "wire/ComPort.h"
#include "wire/ComPortList.h"
#include "wire/WireDriver.h"

namespace kt90 {

bool haveSerialPorts() { return true; }

void prepareSerialPorts() {}

std::unique_ptr<CKT90Driver> makeSerialDriver() {
  return std::make_unique<wire::WireDriver>(std::make_unique<wire::ComPortTransport>());
}

// Every COM port: Windows names the programmer's by its USB ids only, and a converter
// cable may carry one too.
std::vector<SerialPortListing> listSerialPorts() {
  std::vector<SerialPortListing> ports;
  for (const wire::ComPortInfo& info : wire::listComPorts()) {
    const bool programmer = info.vendorId == link::kKt90UsbVendorId && info.productId == link::kKt90UsbProductId;
    const std::string description = programmer ? link::kKt90PortDescription : info.description;
    ports.push_back({info.portName, description + " (" + info.portName + ")", info.vendorId, info.productId});
  }
  return ports;
}

// Any user may open a COM port; a refusal means another program has it.
std::optional<std::string> serialPortDenied(const std::string&) { return std::nullopt; }

}  // namespace kt90
