#include <mutex>

#include "core/journal/JournalLocation.h"

namespace kt90 {

namespace {

// Chosen once at the start (or again from the window's settings) and read by every
// operation's worker thread.
std::mutex chosenMutex;
std::string chosenName;

}  // namespace

void chooseStationName(const std::optional<std::string>& option, const char* environment) {
  const std::lock_guard lock(chosenMutex);
  chosenName = option && !option->empty() ? *option : environment ? environment : "";
}

std::string stationName() {
  {
    const std::lock_guard lock(chosenMutex);
    if (!chosenName.empty()) return chosenName;
  }
  return computerName();
}

}  // namespace kt90
