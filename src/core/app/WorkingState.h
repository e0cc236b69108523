#pragma once
#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "core/app/ChipLookup.h"
#include "core/app/Host.h"
#include "core/app/HostReporter.h"
#include "core/app/OperatingMode.h"
#include "core/app/OperationLogHost.h"
#include "core/app/ProfileStore.h"
#include "core/app/Settings.h"
#include "core/base/Bytes.h"
#include "core/chip/ChipInfo.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/ProgramImage.h"
#include "core/progfile/Records.h"
#include "core/text/Language.h"

namespace kt90 {

class JournalStore;

enum class ChipChange { Same, Cleared, Kept, Cancelled };

// The working state of the program: the selected chip, the program image and its
// companions, the mode and the language. The GUI and the CLI drive it; it reports to
// its Host. Only one thread uses it at a time (the device-operation guard sees to that).
class WorkingState {
 public:
  WorkingState(Host& host, ProfileStore& profile, std::string programDir);

  // The start of the main window: profile and settings, chip list, the remembered chip
  // loaded with a reset, its name restored from the head, the Ready state.
  void start();

  // --- chip ---
  const std::vector<std::string>& chipList() const { return chipList_; }
  std::optional<std::size_t> selectedChipIndex() const { return selectedChip_; }
  const std::string& chipModelName() const { return chipModelName_; }
  const ChipInfo& chipInfo() const { return chipInfo_; }
  ChipInfo& chipInfo() { return chipInfo_; }
  std::uint16_t blankWord() const { return blankWordFor(chipInfo_.bitWidth); }
  // The chip definition file of the current chip exists.
  bool chipDefinitionExists() const;

  // Applies the current chip's definition; refreshes code view and summary on success.
  bool loadChipDefinition(bool reset);
  // The chip selection change: asks whether to keep a loaded program. After Kept the
  // caller opens the OPTION editor; after Cancelled nothing changed.
  ChipChange changeChip(const std::string& model);
  // Makes the model named by the head current: name restored, list selection, a cut name
  // completed to its entry (see lookUpChip).
  void lookUpChipFromHead();
  // Takes over a program loaded into a scratch image, with the chip it was loaded for.
  void adoptProgram(ProgramImage&& image, const ChipInfo& info, const ChipLookup& chip);
  // Sets the current model directly (CLI --chip); false when it is not in the list.
  bool selectChipModel(const std::string& model);

  // --- program image and companions ---
  ProgramImage& image() { return image_; }
  const ProgramImage& image() const { return image_; }
  const Bytes& shownCode() const { return shownCode_; }
  const std::string& fileName() const { return fileName_; }
  const std::string& projectPath() const { return projectPath_; }
  void setFileName(const std::string& path);  // also sets ProjectPath
  void clearFileName();
  // Whether the file at ProjectPath is this program's own: the project file that was opened
  // or saved for the current chip. Otherwise (the .vk beside a HEX, BIN or PRO file, or the
  // file of the chip before a chip change) the automatic save never overwrites it.
  bool projectFileIsOwn() const { return projectFileIsOwn_; }
  // The automatic save wrote the program to `path`: from now on it is the project file, and
  // the file name too when the file name was the project file.
  void adoptProjectFile(const std::string& path);
  const std::optional<ProgrammerUid>& connectedUid() const { return connectedUid_; }
  void setConnectedUid(std::optional<ProgrammerUid> uid) { connectedUid_ = uid; }

  // The Blank/Program/Verify check boxes and the Check CRC command.
  void setHeadFlag(std::uint8_t bit, bool on);
  void toggleCheckCrc();

  // --- unsaved changes ---
  // The image holds what no file has: an edit, a program kept for another chip, an
  // upload. Opening a file and saving one clear it; so does a chip change that starts
  // afresh, as nothing is left to lose.
  bool unsavedChanges() const { return unsavedChanges_; }
  void markChanged() { unsavedChanges_ = true; }
  void markSaved() { unsavedChanges_ = false; }
  // Runs an edit of the image (an editor, a protection setting) and returns its result;
  // it counts as a change only when the image is not the same afterwards.
  template <class Edit>
  bool editImage(Edit&& edit) {
    const ProgramImage before = image_;
    const bool result = edit();
    if (!(image_ == before)) markChanged();
    return result;
  }

  // --- views ---
  void appendLog(const std::string& entry, bool withTime = true);
  void showCode(const Bytes& code);
  void showImageCode() { showCode(image_.code()); }
  void showImageSummary();
  // The block of serials the last download reserved, shown below the image's summary from
  // now on (shown again at once, the operation state untouched).
  void showSerialBlock(std::uint64_t first, std::uint64_t last);
  void showReadSummary(HeadArea& headCopy, const Bytes& readCode);
  void setOperationState(OperationState state);
  // "<short chip name>-%04X" of the signature, the Ready state's label.
  std::string readyLabel();
  // Recomputes CodeRange from the used words and warns about an overflow.
  void updateCodeRangeWithWarning();

  // --- mode, language, settings ---
  std::uint32_t operatingMode() const { return operatingMode_; }
  void setOperatingMode(std::uint32_t mode);  // stores it in the profile
  LanguageId language() const { return language_; }
  const std::string& programDir() const { return programDir_; }
  const Settings& settings() const { return settings_; }
  Host& host() { return host_; }
  Reporter& reporter() { return reporter_; }
  ProfileStore& profile() { return profile_; }

  // --- production journal ---
  // Where every device operation's record goes; none while the journal is off.
  JournalStore* journal() const { return journal_; }
  void setJournal(JournalStore* journal) { journal_ = journal; }
  // Strict: an operation whose record cannot be stored ends Failed.
  bool journalStrict() const { return journalStrict_; }
  void setJournalStrict(bool strict) { journalStrict_ = strict; }
  // Keeps the log entries of the operation under way for its record.
  OperationLogHost& operationLog() { return host_; }

 private:
  std::string serialBlockLine() const;
  void fillChipList();

  OperationLogHost host_;
  ProfileStore& profile_;
  HostReporter reporter_;
  std::string programDir_;
  Settings settings_;
  LanguageId language_ = kChinese;
  std::uint32_t operatingMode_ = kResearchMode;

  std::vector<std::string> chipList_;
  std::optional<std::size_t> selectedChip_;
  std::string chipModelName_;
  ChipInfo chipInfo_;

  ProgramImage image_;
  Bytes shownCode_ = Bytes(ProgramImage::kCodeBytes, 0);
  std::string fileName_;
  std::string projectPath_;
  bool projectFileIsOwn_ = false;
  std::optional<ProgrammerUid> connectedUid_;
  bool unsavedChanges_ = false;
  JournalStore* journal_ = nullptr;
  bool journalStrict_ = false;
  std::optional<std::pair<std::uint64_t, std::uint64_t>> serialBlock_;
};

}  // namespace kt90
