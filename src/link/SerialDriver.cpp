#include "link/SerialDriver.h"

#include "link/QtSerialTransport.h"

namespace kt90::link {

SerialDriver::SerialDriver() : wire::WireDriver(std::make_unique<QtSerialTransport>()) {}

std::string SerialDriver::lastPortError() const {
  return static_cast<const QtSerialTransport&>(transport()).lastError();
}

}  // namespace kt90::link
