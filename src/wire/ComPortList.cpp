#include "wire/ComPortList.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kt90::wire {

namespace {

std::optional<std::uint16_t> hexField(std::string_view name, std::string_view key) {
  const std::size_t at = name.find(key);
  if (at == std::string_view::npos || name.size() < at + key.size() + 4) return std::nullopt;
  unsigned value = 0;
  const char* first = name.data() + at + key.size();
  const auto [end, error] = std::from_chars(first, first + 4, value, 16);
  if (error != std::errc() || end != first + 4) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::optional<unsigned> comNumber(const std::string& name) {
  const std::string text = upper(name);
  if (text.size() <= 3 || text.compare(0, 3, "COM") != 0) return std::nullopt;
  unsigned number = 0;
  const auto [end, error] = std::from_chars(text.data() + 3, text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

}  // namespace

std::optional<std::pair<std::uint16_t, std::uint16_t>> usbIdsFromDeviceKey(std::string_view name) {
  const std::string text = upper(name);
  const auto vendor = hexField(text, "VID_");
  const auto product = hexField(text, "PID_");
  if (!vendor || !product) return std::nullopt;
  return std::make_pair(*vendor, *product);
}

std::string withoutPortSuffix(std::string_view friendlyName, std::string_view portName) {
  const std::string suffix = " (" + std::string(portName) + ")";
  if (friendlyName.size() > suffix.size() &&
      upper(friendlyName.substr(friendlyName.size() - suffix.size())) == upper(suffix))
    return std::string(friendlyName.substr(0, friendlyName.size() - suffix.size()));
  return std::string(friendlyName);
}

bool comPortBefore(const std::string& a, const std::string& b) {
  const auto na = comNumber(a);
  const auto nb = comNumber(b);
  if (na && nb) return *na < *nb;
  if (na || nb) return na.has_value();
  return a < b;
}

std::string comPortPath(const std::string& portName) {
  std::string upper = portName;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  const bool bare = upper.size() > 3 && upper.compare(0, 3, "COM") == 0 &&
                    std::all_of(upper.begin() + 3, upper.end(), [](unsigned char c) { return std::isdigit(c); });
  return bare ? "\\\\.\\" + upper : portName;
}

}  // namespace kt90::wire
