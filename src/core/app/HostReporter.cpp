#include "core/app/HostReporter.h"

#include "core/app/LogText.h"

namespace kt90 {

void HostReporter::log(const std::string& line) { host_.appendLog(cutLogEntry(line), true); }

}  // namespace kt90
