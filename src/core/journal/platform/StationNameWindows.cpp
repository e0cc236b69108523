#include <cstdlib>

#include "core/journal/JournalLocation.h"

namespace kt90 {

std::string computerName() {
  const char* name = std::getenv("COMPUTERNAME");
  return name ? name : "";
}

}  // namespace kt90
