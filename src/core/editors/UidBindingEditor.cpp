#include "core/base/AtomicWrite.h"
#include "core/editors/UidBindingEditor.h"

#include "core/base/FileIo.h"
#include "core/progfile/FileLimits.h"
#include "core/progfile/KtIdFile.h"
#include "core/progfile/UidBinding.h"
#include "core/text/FileProblem.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {

std::filesystem::path ktIdFilePath(const std::string& programDir) { return pathFromUtf8(programDir) / kKtIdFileName; }

UidBindingEditor::UidBindingEditor(std::vector<ProgrammerUid>& list, const std::optional<ProgrammerUid>& connected,
                                   LanguageId language, Reporter& reporter)
    : language_(language), log_(&reporter) {
  if (connected) addConnectedUid(list, *connected, language, reporter);
  rows_ = rowsForUids(list);
}

void UidBindingEditor::setRow(std::size_t row, std::string text) {
  if (row < rows_.size()) rows_[row] = std::move(text);
}

void UidBindingEditor::setRows(std::vector<std::string> rows) {
  rows_ = std::move(rows);
  if (rows_.size() < kKtIdDialogRows) rows_.resize(kKtIdDialogRows);
}

void UidBindingEditor::clear() { rows_.assign(kKtIdDialogRows, std::string()); }

bool UidBindingEditor::load(const std::string& programDir) { return load(WritableFiles::forProgramDir(programDir)); }

bool UidBindingEditor::load(const WritableFiles& files) {
  const auto path = files.readPath(kKtIdFileName);
  const FileRead file = readFileBounded(path, kMaxKtIdFileBytes);
  if (!file.ok()) {
    if (file.problem != ReadProblem::Missing) {
      log_->log(fileProblemLine(pathToUtf8(path), file.problem, kMaxKtIdFileBytes, language_));
    }
    return false;
  }
  rows_ = ktIdRowsFromFile(file.bytes);
  sayWhere(files, path);
  return true;
}

bool UidBindingEditor::save(const std::string& programDir, Reporter& reporter) const {
  return save(WritableFiles::forProgramDir(programDir), reporter);
}

bool UidBindingEditor::save(const WritableFiles& files, Reporter& reporter) const {
  const auto path = files.writePath(kKtIdFileName);
  if (writeFileAtomically(path, ktIdFileFromRows(rows_)).ok()) {
    sayWhere(files, path);
    return true;
  }
  reporter.alert(formatText(text(TextId::UidFileSaveFailed, language_), pathToUtf8(path).c_str()));
  return false;
}

void UidBindingEditor::sayWhere(const WritableFiles& files, const std::filesystem::path& path) const {
  const std::string where = files.whereLine(path, language_);
  if (!where.empty()) log_->log(where);
}

bool UidBindingEditor::accept(std::vector<ProgrammerUid>& list, Reporter& reporter) const {
  auto uids = uidsFromRows(rows_, language_, reporter);
  if (!uids) return false;
  list = std::move(*uids);
  return true;
}

}  // namespace kt90
