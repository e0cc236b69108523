#include <unistd.h>

#include "core/journal/JournalLocation.h"

namespace kt90 {

std::string computerName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

}  // namespace kt90
