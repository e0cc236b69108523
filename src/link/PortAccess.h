#pragma once
#include <optional>
#include <string>

namespace kt90::link {

// The path of the serial port `portName` (a name below /dev such as ttyACM0 or pts/3, or a path) when the port
// exists but this user may not open it: on Linux the udev rule and the group dialout are
// missing. Nothing when the port is missing, usable, or the platform cannot tell.
std::optional<std::string> portDeniedToUser(const std::string& portName);

}  // namespace kt90::link
