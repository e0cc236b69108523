#include "core/journal/JournalLocation.h"

#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"

namespace kt90 {

std::optional<std::string> journalLocation(const std::optional<std::string>& option, const char* environment,
                                           const std::string& userDir) {
  std::string chosen;
  if (option && !option->empty()) {
    chosen = *option;
  } else if (environment && *environment) {
    chosen = environment;
  } else if (!userDir.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(pathFromUtf8(userDir), ignored);
    chosen = pathToUtf8(pathFromUtf8(userDir) / kJournalFileName);
  }
  if (chosen.empty() || chosen == "off") return std::nullopt;
  return chosen;
}

}  // namespace kt90
