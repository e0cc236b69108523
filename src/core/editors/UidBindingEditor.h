#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/app/WritableFiles.h"
#include "core/base/Reporter.h"
#include "core/progfile/Records.h"
#include "core/text/Language.h"

namespace kt90 {

inline constexpr const char* kKtIdFileName = "KT_ID.TXT";
std::filesystem::path ktIdFilePath(const std::string& programDir);

// The U_ID Settings command: the rows of the binding dialog and what its buttons do with
// them. Rows are the dialog's cell texts; there are always at least 100.
class UidBindingEditor {
 public:
  // Steps 1-3 of the command: a U_ID of the connected programmer that the list lacks joins
  // the list at once (it stays there when the dialog is cancelled); the rows show the list.
  // A full list keeps its content and says so in the log.
  UidBindingEditor(std::vector<ProgrammerUid>& list, const std::optional<ProgrammerUid>& connected, LanguageId language,
                   Reporter& reporter);

  const std::vector<std::string>& rows() const { return rows_; }
  void setRow(std::size_t row, std::string text);  // rows that do not exist are ignored
  void setRows(std::vector<std::string> rows);     // filled up to 100 rows
  void clear();                                    // 100 empty rows

  // "load configuration": the lines of KT_ID.TXT in the program directory, every one of
  // them (a file of more than 100 lines shows them all). False, rows unchanged, when the
  // file cannot be read. Where the program directory is not writable, the user's copy is
  // read when there is one (see WritableFiles), which the log of the constructor's
  // reporter is told.
  bool load(const std::string& programDir);
  bool load(const WritableFiles& files);
  // "Save configuration": every row and a CR LF into KT_ID.TXT, replacing it (the user's
  // copy where the program directory is not writable). A file that cannot be written is
  // reported (message box) and false returned.
  bool save(const std::string& programDir, Reporter& reporter) const;
  bool save(const WritableFiles& files, Reporter& reporter) const;

  // OK: the U_IDs of all rows become the list. More than 100 are refused with a message
  // (false; the dialog stays open and the list is unchanged).
  bool accept(std::vector<ProgrammerUid>& list, Reporter& reporter) const;

 private:
  void sayWhere(const WritableFiles& files, const std::filesystem::path& path) const;

  std::vector<std::string> rows_;
  LanguageId language_;
  Reporter* log_;
};

}  // namespace kt90
