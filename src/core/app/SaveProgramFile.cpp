#include "core/app/SaveProgramFile.h"

#include <random>

#include "core/base/AtomicWrite.h"
#include "core/base/FileIo.h"
#include "core/chip/CIniFile.h"
#include "core/chip/ChipDefinition.h"
#include "core/progfile/HexFile.h"
#include "core/progfile/ProjectFile.h"
#include "core/progfile/ProjectScramble.h"
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
  return !bytes.empty() && writeFileAtomically(pathFromUtf8(path), bytes).ok();
}

// Whether the project file at `path` holds this very program (whatever key scrambles it).
bool holdsSameProgram(const std::string& path, ProgramImage& image, LanguageId language) {
  const FileRead file = readFileBounded(pathFromUtf8(path), kAnyFileLimit);
  if (!file.ok()) return false;
  RecordingReporter quiet;
  const std::optional<Bytes> payload = unscrambleProject(file.bytes, language, quiet);
  return payload && *payload == projectPayload(image);
}

// Where the automatic save may write: the project file when it is this program's own,
// else the first of name.vk, name-1.vk, name-2.vk, ... that is free or already holds
// this program.
std::string autoSaveTarget(WorkingState& state) {
  const std::string& path = state.projectPath();
  if (state.projectFileIsOwn()) return path;
  const std::string stem = path.substr(0, path.size() - 3);  // without ".vk"
  for (int n = 0;; ++n) {
    std::string candidate = n == 0 ? path : stem + "-" + std::to_string(n) + ".vk";
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(pathFromUtf8(candidate), error)) ||
        holdsSameProgram(candidate, state.image(), state.language())) {
      return candidate;
    }
  }
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
      if (!writeFileAtomically(pathFromUtf8(target), ByteView(state.shownCode().data(), codeBytes)).ok()) {
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
  const LanguageId language = state.language();
  // An operator's edits serve this download only; the released file stays as it was.
  if (state.operatingMode() == kProductionMode && state.image().protection.hasPassword()) {
    state.appendLog(formatText(text(TextId::AutoSaveKeptReleased, language), state.projectPath().c_str()));
    return false;
  }
  const std::string target = autoSaveTarget(state);
  // The user learns which file on disk now holds the downloaded program.
  const bool saved = writeBytes(target, projectBytes(state.image()));
  if (!saved) {
    state.appendLog(formatText(text(TextId::AutoSaveFailed, language), target.c_str()));
    return false;
  }
  if (target == state.projectPath()) {
    state.appendLog(formatText(text(TextId::AutoSaved, language), target.c_str()));
  } else {
    state.appendLog(
        formatText(text(TextId::AutoSavedBeside, language), target.c_str(), state.projectPath().c_str()));
  }
  state.adoptProjectFile(target);
  state.markSaved();
  return true;
}

}  // namespace kt90
