#include "core/app/LogText.h"

#include "core/base/Encoding.h"
#include "core/text/Format.h"

namespace kt90 {

std::string logTimeStamp(const std::tm& now) {
  char buffer[16];
  std::strftime(buffer, sizeof buffer, "%H:%M:%S ", &now);
  return buffer;
}

std::string cutLogEntry(const std::string& entry) {
  return cutToUtf16Units(escapeInvalidUtf8(entry), LogText::kEntryUnits);
}

bool isClearCommand(const std::string& entry) { return entry == "CLEAR"; }

std::string LogText::append(const std::string& entry, bool withTime, const std::tm& now) {
  const std::string cut = cutLogEntry(entry);
  if (isClearCommand(cut)) {
    clear();
    return {};
  }
  if (units_ >= kClearAtUnits) clear();
  const std::string added = (withTime ? logTimeStamp(now) : std::string()) + cut;
  text_ += added;
  units_ += utf16Length(added);
  return added;
}

}  // namespace kt90
