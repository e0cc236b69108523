#include "core/app/DocumentTitle.h"

#include "core/base/FileIo.h"
#include "core/text/StringTable.h"

namespace kt90 {

std::string documentTitle(const std::string& programTitle, const std::string& filePath, bool unsavedChanges,
                          LanguageId language) {
  if (filePath.empty() && !unsavedChanges) return programTitle;
  const std::string name =
      filePath.empty() ? text(TextId::UntitledProgram, language) : pathToUtf8(pathFromUtf8(filePath).filename());
  return name + (unsavedChanges ? "*" : "") + " - " + programTitle;
}

}  // namespace kt90
