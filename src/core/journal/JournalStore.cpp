#include "core/journal/JournalStore.h"

#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/journal/SqliteJournal.h"
#include "core/journal/postgres/PostgresOpen.h"

namespace kt90 {

JournalOpen openJournalStore(const std::string& location, JournalAccess access, const std::string& stationJournal) {
  if (isDatabaseLocation(location)) {
    return openPostgresJournal(location, access == JournalAccess::Append ? stationJournal : std::string());
  }
  JournalOpen open;
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
