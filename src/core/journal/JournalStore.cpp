#include "core/journal/JournalStore.h"

#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/journal/SqliteJournal.h"

namespace kt90 {

namespace {

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

JournalOpen openJournalStore(const std::string& location, JournalAccess access) {
  JournalOpen open;
  if (startsWith(location, "postgresql://") || startsWith(location, "postgres://")) {
    open.error = "this build has no PostgreSQL journal";
    return open;
  }
  // A mistyped folder would silently start a second journal nobody collects.
  const std::filesystem::path folder = pathFromUtf8(location).parent_path();
  std::error_code error;
  if (access == JournalAccess::Append && !folder.empty() && !std::filesystem::is_directory(folder, error)) {
    open.error = location + ": the folder " + pathToUtf8(folder) + " does not exist";
    return open;
  }
  open.store = std::make_unique<SqliteJournal>(location);
  return open;
}

}  // namespace kt90
