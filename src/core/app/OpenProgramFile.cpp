#include "core/app/OpenProgramFile.h"

#include "core/app/ProgramPaths.h"
#include "core/base/FileIo.h"
#include "core/chip/ChipDefinition.h"
#include "core/progfile/BinFile.h"
#include "core/progfile/FileLimits.h"
#include "core/progfile/HexFile.h"
#include "core/progfile/ProFile.h"
#include "core/progfile/ProjectFile.h"
#include "core/progfile/ProjectScramble.h"
#include "core/text/FileProblem.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

// A copy of the program and its chip that a load works on until it succeeds.
class ScratchLoad : public ProChipHandler {
  WorkingState& state_;

 public:
  explicit ScratchLoad(WorkingState& state)
      : state_(state),
        image(state.image()),
        info(state.chipInfo()),
        chip{state.chipModelName(), state.selectedChipIndex()} {}

  ChipContext context() const {
    return {state_.programDir(), state_.language(), chip.model, state_.operatingMode() == kServiceMarker};
  }
  // The chip the head names becomes the scratch chip.
  void lookUpFromHead() {
    chip = lookUpChip(image.head, image.config.chipId(), state_.chipList(), state_.programDir(), state_.language());
  }
  // A chip without a definition has been reported; the file itself read well.
  bool loadDefinition(bool reset) {
    if (LoadChipDefinition(context(), reset, info, image, state_.reporter())) return true;
    chipRefused = true;
    return false;
  }

  bool onChipName(const std::string&) override {
    lookUpFromHead();
    return loadDefinition(true);
  }
  std::string onFinished() override {
    lookUpFromHead();
    return chip.model;
  }

  void commit() { state_.adoptProgram(std::move(image), info, chip); }

  ProgramImage image;
  ChipInfo info;
  ChipLookup chip;
  bool chipRefused = false;
};

// What a reader reports, held until it is known whether the file read at all.
class HeldReporter : public Reporter {
 public:
  void log(const std::string& line) override { held_.emplace_back(false, line); }
  void alert(const std::string& text) override { held_.emplace_back(true, text); }
  void passOn(Reporter& to) const {
    for (const auto& [alert, text] : held_) alert ? to.alert(text) : to.log(text);
  }

 private:
  std::vector<std::pair<bool, std::string>> held_;
};

bool openProject(WorkingState& state, ScratchLoad& scratch, ByteView file, bool& passwordFound, Reporter& reporter) {
  const LanguageId language = state.language();
  const auto payload = unscrambleProject(file, language, reporter);
  if (!payload) return false;
  // A file that does not read as a project never reaches the chip lookup, which would
  // take whatever its head holds for a chip name.
  ProgramImage trial = scratch.image;
  RecordingReporter ignored;
  if (!readProject(*payload, trial, language, ignored).ok) return false;
  // The head names the chip; the image is reset for it before the blocks are read.
  const ProjectHeadPreview preview = preReadProjectHead(*payload, language, reporter);
  if (preview.headRead) {
    const std::uint8_t chipId = preview.config ? preview.config->chipId() : scratch.image.config.chipId();
    scratch.chip = lookUpChip(preview.head, chipId, state.chipList(), state.programDir(), language);
  }
  if (!scratch.loadDefinition(true)) return false;
  const ProjectReadResult result = readProject(*payload, scratch.image, language, reporter);
  if (!result.ok) return false;
  scratch.lookUpFromHead();
  if (result.oldLayoutConverted && !LoadChipDefinitionForOldFile(scratch.context(), scratch.info, scratch.image)) {
    state.reporter().alert(text(TextId::ChipNotSupported, language) + scratch.chip.model);
    scratch.chipRefused = true;
    return false;
  }
  if (!scratch.loadDefinition(false)) return false;
  passwordFound = result.passwordFound;
  return true;
}

// HEX and BIN change only the code; a 14-bit chip refuses 16-bit words.
bool checkCodeWidth(WorkingState& state, ScratchLoad& scratch) {
  if (checkWordWidth(scratch.image, scratch.info.blankWord())) return true;
  state.appendLog(text(TextId::CodeWidthMismatch, state.language()));
  return false;
}

bool loadProgramFile(WorkingState& state, const std::string& path) {
  const LanguageId language = state.language();
  const std::string extension = fileExtension(path);
  if (extension != "vk" && extension != "hex" && extension != "bin" && extension != "pro") {
    state.appendLog(formatText(text(TextId::UnsupportedFileType, language), path.c_str()));
    return false;
  }
  const std::uintmax_t bound = extension == "hex"   ? kMaxHexFileBytes
                               : extension == "bin" ? kMaxBinFileBytes
                               : extension == "pro" ? kMaxProFileBytes
                                                    : kMaxProjectFileBytes;
  const auto file = readFileReporting(pathFromUtf8(path), bound, language, state.reporter());
  if (!file) return false;
  // No code is no program: loading it would blank the code view without a word.
  if (file->empty() && (extension == "hex" || extension == "bin")) {
    state.appendLog(formatText(text(TextId::ProgramFileEmpty, language), path.c_str()));
    return false;
  }
  ScratchLoad scratch(state);
  HeldReporter reader;
  bool read = false;
  bool passwordFound = false;
  if (extension == "hex") {
    read = readHex(*file, scratch.image, scratch.info.blankWord(), language, reader);
  } else if (extension == "bin") {
    read = readBin(*file, scratch.image, language, reader);
  } else if (extension == "pro") {
    read = readPro(*file, scratch.image, scratch, language, reader);
  } else {
    read = openProject(state, scratch, *file, passwordFound, reader);
  }
  // A file that is not one of its kind gets one message, not the reader's view of its bytes.
  if (!read) {
    if (scratch.chipRefused) return false;
    state.appendLog(formatText(text(TextId::NotAProgramFile, language), path.c_str(), extension.c_str()));
    return false;
  }
  reader.passOn(state.reporter());
  if ((extension == "hex" || extension == "bin") && !checkCodeWidth(state, scratch)) return false;

  scratch.commit();
  if (passwordFound) state.setOperatingMode(kProductionMode);
  state.setFileName(path);
  state.updateCodeRangeWithWarning();
  state.showImageCode();
  state.showImageSummary();
  state.markSaved();
  return true;
}

}  // namespace

bool openProgramFile(WorkingState& state, const std::string& path) {
  if (loadProgramFile(state, path)) return true;
  state.setOperationState(OperationState::Failed);
  return false;
}

}  // namespace kt90
