#include "connect/SerialPorts.h"

namespace kt90 {

bool haveSerialPorts() { return false; }
void prepareSerialPorts() {}
std::unique_ptr<CKT90Driver> makeSerialDriver() { return nullptr; }
std::vector<SerialPortListing> listSerialPorts() { return {}; }
std::optional<std::string> serialPortDenied(const std::string&) { return std::nullopt; }

}  // namespace kt90
