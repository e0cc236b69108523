#include "core/programmer/FirmwareVersion.h"

#include <algorithm>
#include <vector>

namespace kt90 {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The parts of the number after the last "V" that a digit follows, or none.
std::optional<std::vector<unsigned long>> versionNumber(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const std::string& t = *text;
  std::size_t at = t.size();
  for (std::size_t k = t.size(); k-- > 0 && at == t.size();) {
    if (t[k] == 'V' && k + 1 < t.size() && isDigit(t[k + 1])) at = k;
  }
  if (at == t.size()) return std::nullopt;
  std::vector<unsigned long> parts;
  std::size_t i = at + 1;
  while (i < t.size() && isDigit(t[i])) {
    unsigned long part = 0;
    // Parts past any real version's size stop counting rather than overflow.
    for (; i < t.size() && isDigit(t[i]); ++i)
      part = std::min(part * 10 + static_cast<unsigned long>(t[i] - '0'), 99999999ul);
    parts.push_back(part);
    if (i + 1 < t.size() && t[i] == '.' && isDigit(t[i + 1])) ++i;
  }
  return parts;
}

}  // namespace

FirmwareStep compareFirmwareVersions(const std::optional<std::string>& programmer,
                                     const std::optional<std::string>& image) {
  auto from = versionNumber(programmer);
  auto to = versionNumber(image);
  if (!from || !to) return FirmwareStep::Unknown;
  const std::size_t length = std::max(from->size(), to->size());
  from->resize(length, 0);
  to->resize(length, 0);
  if (*to == *from) return FirmwareStep::Same;
  return *to > *from ? FirmwareStep::Upgrade : FirmwareStep::Downgrade;
}

}  // namespace kt90
