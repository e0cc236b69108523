#pragma once
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/programmer/CKT90Driver.h"

namespace kt90 {

// The platform's serial programmer driver; one file per platform or link provides these.

// Whether this build reaches serial ports at all.
bool serialPortsAvailable();
// Sets up what serial drivers need in the process; call on the main thread before worker
// threads make drivers.
void prepareSerialPorts();
// A driver for one operation on a serial port, made on the thread that runs it; null when
// this build has no serial ports.
std::unique_ptr<CKT90Driver> makeSerialDriver();
// The ports a programmer may sit on: name and the text a list shows.
std::vector<std::pair<std::string, std::string>> programmerPortList();
// The path of `port` when it exists and this user may not open it.
std::optional<std::string> serialPortDenied(const std::string& port);

}  // namespace kt90
