#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt90::link {

// Friendly names that mark a serial port as one a programmer may sit on (case-sensitive
// substrings).
const std::vector<std::string>& acceptedPortTexts();
bool isAcceptedPortText(std::string_view friendlyName);

// The text of a port-menu entry: description + " (" + port name + ")".
std::string friendlyPortName(std::string_view description, std::string_view portName);

// What an entry text opens.
struct PortChoice {
  // The port name for CKT90Driver::OpenDevice; empty when the text names no port.
  std::string portName;
  // The COM number, when the text names "(COMn" with n from 0 to 255.
  std::optional<unsigned> number;
};

// "USB 串行设备 (COM12)" gives COM12 and number 12. A number that does not fit 0-255, or
// an entry without "(COM", is opened by the name in its last parentheses and has no
// number: such a port is never taken for port 0.
PortChoice portFromEntryText(std::string_view text);

}  // namespace kt90::link
