#include "core/text/FileProblem.h"

#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {

std::string fileProblemLine(const std::string& path, ReadProblem problem, std::uintmax_t maxBytes,
                            LanguageId language) {
  switch (problem) {
    case ReadProblem::None:
      return {};
    case ReadProblem::NotRegular:
      return formatText(text(TextId::FileNotRegular, language), path.c_str());
    case ReadProblem::TooLarge:
      return formatText(text(TextId::FileTooLarge, language), path.c_str(), static_cast<unsigned>(maxBytes));
    case ReadProblem::Missing:
    case ReadProblem::Unreadable:
      break;
  }
  return formatText(text(TextId::FileOpenFailed, language), path.c_str());
}

std::optional<Bytes> readFileReporting(const std::filesystem::path& path, std::uintmax_t maxBytes, LanguageId language,
                                       Reporter& reporter) {
  FileRead read = readFileBounded(path, maxBytes);
  if (read.ok()) return std::move(read.bytes);
  reporter.log(fileProblemLine(pathToUtf8(path), read.problem, maxBytes, language));
  return std::nullopt;
}

}  // namespace kt90
