#include "core/app/WorkingState.h"

#include <chrono>
#include <ctime>

#include "core/app/ChipLookup.h"
#include "core/app/CodeDump.h"
#include "core/app/LogText.h"
#include "core/app/ProgramPaths.h"
#include "core/app/SummaryText.h"
#include "core/base/FileIo.h"
#include "core/chip/ChipDefinition.h"
#include "core/chip/ChipList.h"
#include "core/chip/ChipNames.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {

WorkingState::WorkingState(Host& host, ProfileStore& profile, std::string programDir)
    : host_(host), profile_(profile), reporter_(host_), programDir_(std::move(programDir)) {}

void WorkingState::start() {
  chipModelName_ = profile_.readString(profile::kChip, "");
  settings_ = readSettings(programDir_);
  operatingMode_ =
      normaliseOperatingMode(static_cast<std::uint32_t>(profile_.readInt(profile::kAccount, profile::kDefaultAccount)));
  language_ = static_cast<LanguageId>(profile_.readInt(profile::kLanguage, profile::kDefaultLanguage));
  fillChipList();
  // No name is restored from the fresh head: its name field is made from the model just
  // loaded, and restoring could only give that model back or, cut or prefixed, another.
  loadChipDefinition(true);
  setOperationState(OperationState::Ready);
}

void WorkingState::fillChipList() {
  chipList_ = listChipModels(programDir_, language_);
  const ChipListChoice choice = chooseRememberedChip(chipList_, chipModelName_);
  selectedChip_ = choice.selected;
  chipModelName_ = choice.modelName;
}

bool WorkingState::chipDefinitionExists() const {
  return kt90::chipDefinitionExists(programDir_, language_, chipModelName_);
}

bool WorkingState::loadChipDefinition(bool reset) {
  const ChipContext context{programDir_, language_, chipModelName_, operatingMode_ == kServiceMarker};
  if (!LoadChipDefinition(context, reset, chipInfo_, image_, reporter_)) return false;
  showImageCode();
  showImageSummary();
  return true;
}

void WorkingState::lookUpChipFromHead() {
  const ChipLookup found = lookUpChip(image_.head, image_.config.chipId(), chipList_, programDir_, language_);
  chipModelName_ = found.model;
  selectedChip_ = found.selected;
}

void WorkingState::adoptProgram(ProgramImage&& image, const ChipInfo& info, const ChipLookup& chip) {
  image_ = std::move(image);
  chipInfo_ = info;
  chipModelName_ = chip.model;
  selectedChip_ = chip.selected;
}

bool WorkingState::selectChipModel(const std::string& model) {
  for (std::size_t i = 0; i < chipList_.size(); ++i) {
    if (chipList_[i] == model) {
      selectedChip_ = i;
      chipModelName_ = model;
      profile_.writeString(profile::kChip, model);
      return true;
    }
  }
  return false;
}

ChipChange WorkingState::changeChip(const std::string& model) {
  if (model == chipModelName_) return ChipChange::Same;
  const std::size_t words = image_.codeWords();
  bool hasProgram = false;
  for (std::size_t n = 0; n < words && !hasProgram; ++n) {
    const std::uint16_t w = image_.word(n);
    hasProgram = w != 0x3FFF && w != 0xFFFF;
  }
  // Asked before anything changes: a cancelled question leaves chip and program alone.
  bool keep = false;
  if (hasProgram) {
    const MessageAnswer answer =
        host_.messageBox(text(TextId::KeepProgramQuestion, language_), MessageButtons::YesNoCancel);
    if (answer != MessageAnswer::Yes && answer != MessageAnswer::No) return ChipChange::Cancelled;
    keep = answer == MessageAnswer::Yes;
  }
  chipModelName_ = model;
  for (std::size_t i = 0; i < chipList_.size(); ++i) {
    if (chipList_[i] == model) selectedChip_ = i;
  }
  profile_.writeString(profile::kChip, model);
  chipInfo_.clearProgramOnReset = !keep;
  if (!keep) clearFileName();
  projectFileIsOwn_ = false;
  loadChipDefinition(true);
  updateCodeRangeWithWarning();
  chipInfo_.clearProgramOnReset = true;
  // A kept program is now one for this chip that no file holds; a fresh image holds nothing.
  keep ? markChanged() : markSaved();
  return keep ? ChipChange::Kept : ChipChange::Cleared;
}

void WorkingState::setFileName(const std::string& path) {
  fileName_ = path;
  projectPath_ = projectPathFor(path);
  projectFileIsOwn_ = projectPath_ == path;
}

void WorkingState::clearFileName() {
  fileName_.clear();
  projectPath_.clear();
  projectFileIsOwn_ = false;
}

void WorkingState::adoptProjectFile(const std::string& path) {
  if (fileName_ == projectPath_) fileName_ = path;
  projectPath_ = path;
  projectFileIsOwn_ = true;
}

void WorkingState::setHeadFlag(std::uint8_t bit, bool on) {
  if (image_.head.flag(bit) != on) markChanged();
  image_.head.setFlag(bit, on);
  showImageSummary();
}

void WorkingState::toggleCheckCrc() {
  image_.head.setFlag(headflag::kCheckCrc, !image_.head.flag(headflag::kCheckCrc));
  markChanged();
}

void WorkingState::appendLog(const std::string& entry, bool withTime) { host_.appendLog(cutLogEntry(entry), withTime); }

void WorkingState::showCode(const Bytes& code) {
  if (&code != &shownCode_) shownCode_ = code;
  shownCode_.resize(ProgramImage::kCodeBytes, 0);
  const std::size_t words = image_.codeWords();
  host_.showCode(operatingMode_ == kProductionMode ? maskedCodeDumpText(shownCode_, words)
                                                   : codeDumpText(shownCode_, words));
}

void WorkingState::showImageSummary() {
  const SummaryText summary = imageSummaryText(image_, chipInfo_.bitWidth, language_);
  if (summary.codeRange && summary.codeRange->overflow) {
    host_.messageBox(formatText(text(TextId::CodeOverflow, language_), summary.usedWords), MessageButtons::Ok);
  }
  host_.showSummary(summary.text + serialBlockLine());
  setOperationState(OperationState::Ready);
}

std::string WorkingState::serialBlockLine() const {
  if (!serialBlock_) return {};
  return formatText(text(TextId::SummaryLastSerialBlock, language_),
                    static_cast<unsigned long long>(serialBlock_->first),
                    static_cast<unsigned long long>(serialBlock_->second));
}

void WorkingState::showSerialBlock(std::uint64_t first, std::uint64_t last) {
  serialBlock_.emplace(first, last);
  host_.showSummary(imageSummaryText(image_, chipInfo_.bitWidth, language_).text + serialBlockLine());
}

void WorkingState::showReadSummary(HeadArea& headCopy, const Bytes& readCode) {
  const SummaryText summary = readSummaryText(image_, headCopy, readCode, chipInfo_.bitWidth, language_);
  if (summary.codeRange && summary.codeRange->overflow) {
    host_.messageBox(formatText(text(TextId::CodeOverflow, language_), summary.usedWords), MessageButtons::Ok);
  }
  host_.showSummary(summary.text);
  setOperationState(OperationState::Ready);
}

void WorkingState::updateCodeRangeWithWarning() {
  const std::uint16_t used = usedWords(image_, blankWord());
  if (updateCodeRange(image_, used).overflow) {
    host_.messageBox(formatText(text(TextId::CodeOverflow, language_), used), MessageButtons::Ok);
  }
}

std::string WorkingState::readyLabel() {
  return MakeShortChipName(chipModelName_) + formatText("-%04X", chipSignature(image_));
}

void WorkingState::setOperationState(OperationState state) {
  switch (state) {
    case OperationState::Passed:
      host_.setOperationState(state, text(TextId::StatePassed, language_));
      break;
    case OperationState::Failed:
      host_.setOperationState(state, text(TextId::StateFailed, language_));
      break;
    case OperationState::Running:
      host_.setOperationState(state, text(TextId::StateRunning, language_));
      break;
    case OperationState::Ready:
      host_.setOperationState(state, readyLabel());
      break;
  }
}

void WorkingState::setOperatingMode(std::uint32_t mode) {
  operatingMode_ = mode;
  profile_.writeInt(profile::kAccount, static_cast<std::int32_t>(mode));
}

}  // namespace kt90
