#include "core/chip/Cif.h"

#include <algorithm>

#include "core/base/FileIo.h"
#include "core/base/FileNameMatch.h"
#include "core/chip/ChipList.h"
#include "core/text/FileProblem.h"

namespace kt90 {

std::string cifPath(const std::string& programDir, const std::string& model) {
  if (!isPlainFileTitle(model)) return {};
  return pathToUtf8(findFileNoCase(findFileNoCase(pathFromUtf8(programDir), "CIF"), model + ".cif"));
}

std::optional<CifBlock> cifFromBytes(ByteView bytes) {
  if (bytes.size() < kCifSize) return std::nullopt;
  CifBlock block{};
  std::copy_n(bytes.begin(), kCifSize, block.begin());
  return block;
}

std::optional<CifBlock> LoadCif(const std::string& programDir, const std::string& model) {
  RecordingReporter ignored;
  return LoadCif(programDir, model, kEnglish, ignored);
}

std::optional<CifBlock> LoadCif(const std::string& programDir, const std::string& model, LanguageId language,
                                Reporter& reporter) {
  const std::string path = cifPath(programDir, model);
  if (path.empty()) return std::nullopt;
  const FileRead file = readFileHead(pathFromUtf8(path), kCifSize);
  if (file.problem == ReadProblem::NotRegular) reporter.log(fileProblemLine(path, file.problem, kCifSize, language));
  return cifFromBytes(file.bytes);
}

}  // namespace kt90
