// The INI reader of chip definitions and the settings file, with the integer rule.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/chip/IniDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const kt90::IniDocument document(text);
  // Look up the names the text itself uses, so real sections and keys are reached.
  std::string section;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    const std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.front() == '[') {
      const std::size_t close = line.find(']');
      section = std::string(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    }
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
      if (const auto value = document.value(section, line.substr(0, eq))) kt90::parseProfileInt(*value);
    }
    kt90::parseProfileInt(line);
    pos = end + 1;
  }
  return 0;
}
