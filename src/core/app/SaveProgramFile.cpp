#include "core/app/SaveProgramFile.h"

#include <random>

#include "core/base/FileIo.h"
#include "core/chip/CIniFile.h"
#include "core/chip/ChipDefinition.h"
#include "core/progfile/HexFile.h"
#include "core/progfile/ProjectFile.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

Bytes projectBytes(ProgramImage& image) {
  std::random_device seed;
  std::mt19937 generator(seed());
  return writeProjectFile(image, [&generator] { return static_cast<std::uint32_t>(generator()); });
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
  return !bytes.empty() && writeFileAtomically(pathFromUtf8(path), bytes);
}

}  // namespace

bool saveProgramFile(WorkingState& state, const std::string& path, SaveType type) {
  const LanguageId language = state.language();
  const std::string definition = chipDefinitionPath(state.programDir(), language, state.chipModelName());
  if (!state.chipDefinitionExists()) {
    state.host().messageBox(text(TextId::ChipNotSupported, language) + state.chipModelName(), MessageButtons::Ok);
    return false;
  }
  ProgramImage& image = state.image();
  image.head.setVersion(static_cast<std::uint8_t>(CIniFile(definition).ReadInt("General", "FileVersion", 16)));

  const std::string target = savePathFor(path, type);
  const std::size_t codeBytes = image.codeWords() * 2;
  switch (type) {
    case SaveType::Project:
      if (!writeBytes(target, projectBytes(image))) {
        state.host().messageBox(text(TextId::SaveProjectFailed, language), MessageButtons::Ok);
        return false;
      }
      break;
    case SaveType::Hex:
      if (!writeBytes(target, writeHex(state.shownCode(), image.codeWords(), state.blankWord()))) {
        state.host().messageBox(text(TextId::SaveHexFailed, language), MessageButtons::Ok);
        return false;
      }
      break;
    case SaveType::Bin:
      if (!writeFileAtomically(pathFromUtf8(target), ByteView(state.shownCode().data(), codeBytes))) {
        state.host().messageBox(text(TextId::SaveBinFailed, language), MessageButtons::Ok);
        return false;
      }
      break;
  }
  state.setFileName(target);
  state.markSaved();
  return true;
}

bool autoSave(WorkingState& state) {
  if (state.projectPath().empty()) return false;
  // The user learns which file on disk now holds the downloaded program.
  const bool saved = writeBytes(state.projectPath(), projectBytes(state.image()));
  if (saved) state.markSaved();
  state.appendLog(formatText(text(saved ? TextId::AutoSaved : TextId::AutoSaveFailed, state.language()),
                             state.projectPath().c_str()));
  return saved;
}

}  // namespace kt90
