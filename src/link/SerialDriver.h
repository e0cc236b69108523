#pragma once
#include <string>

#include "wire/WireDriver.h"

namespace kt90::link {

// The programmer on a serial port: the driver contract spoken with the wire protocol over
// Qt SerialPort. Usable from a worker thread without an event loop.
class SerialDriver : public wire::WireDriver {
 public:
  SerialDriver();
  // The platform's text for the last port failure.
  std::string lastPortError() const;
};

}  // namespace kt90::link
