// A build without the serial link reaches emulated programmers only.
#include "connect/SerialDriverFactory.h"

namespace kt90 {

bool serialPortsAvailable() { return false; }
void prepareSerialPorts() {}
std::unique_ptr<CKT90Driver> makeSerialDriver() { return nullptr; }
std::vector<std::pair<std::string, std::string>> programmerPortList() { return {}; }
std::optional<std::string> serialPortDenied(const std::string&) { return std::nullopt; }

}  // namespace kt90
