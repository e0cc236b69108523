#include "core/programmer/FirmwareUpdate.h"

#include <chrono>

#include "core/base/FileIo.h"
#include "core/progfile/BinFile.h"
#include "core/progfile/FirmwareImage.h"
#include "core/programmer/BlockTransfer.h"
#include "core/programmer/Commands.h"
#include "core/programmer/FirmwareVersion.h"
#include "core/programmer/Identification.h"
#include "core/programmer/Operations.h"
#include "core/programmer/StorageMap.h"
#include "core/text/FileProblem.h"

namespace kt90 {

namespace {

constexpr std::uint32_t kRecordSettleMs = 200;

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The image file whole, within what the programmer takes; logged failures otherwise.
std::optional<Bytes> readImage(OperationRun& run, const std::string& path, std::uint32_t capacity) {
  // Nothing bigger than the programmer's firmware area is read at all.
  std::optional<Bytes> file;
  if (path.empty()) {
    run.log(TextId::FileOpenFailed, path.c_str());
  } else {
    file = readFileReporting(pathFromUtf8(path), storage::kFirmwareMaxSize, run.language, run.state.reporter());
  }
  std::optional<std::size_t> size;
  Bytes image(storage::kFirmwareMaxSize, 0);
  if (file) size = readBinInto(*file, image, run.language, run.state.reporter());
  if (!size) {
    run.log(TextId::FirmwareOpenFailed, path.c_str());
    return std::nullopt;
  }
  if (*size > capacity) {
    run.log(TextId::FirmwareTooLarge, static_cast<unsigned>(*size), static_cast<unsigned>(capacity));
    return std::nullopt;
  }
  image.resize(*size);
  return image;
}

// The record is written, given the programmer time to store it, and read back.
bool writeRecord(OperationRun& run, const Bytes& record, bool inStorage) {
  CKT90Driver& driver = run.driver;
  const std::uint32_t address = inStorage ? storage::kUpgradeRecord : eeprom::kUpgradeRecord;
  const auto length = static_cast<std::uint32_t>(record.size());
  const std::uint32_t written =
      inStorage ? driver.WriteData(record.data(), address, length) : driver.WriteEEPROM(record.data(), address, length);
  if (written != length) {
    run.log(TextId::WriteFailure, address, length);
    return false;
  }
  run.pause(kRecordSettleMs);
  Bytes back(record.size(), 0);
  const std::uint32_t read =
      inStorage ? driver.ReadData(back.data(), address, length) : driver.ReadEEPROM(back.data(), address, length);
  if (read != length) {
    run.log(TextId::ReadFailure, address, length);
    return false;
  }
  for (std::uint32_t j = 0; j < length; ++j) {
    if (back[j] != record[j]) {
      run.log(TextId::CheckFailure, address + j, static_cast<unsigned>(back[j]));
      return false;
    }
  }
  return true;
}

// Logs both versions and decides, by the request, whether the image goes in: the user's
// answer, or the refusal of a downgrade nobody asked for.
bool consentToImage(OperationRun& run, const std::optional<std::string>& current,
                    const std::optional<std::string>& image) {
  const std::string unknown = text(TextId::FirmwareVersionNone, run.language);
  const std::string from = current.value_or(unknown);
  const std::string to = image.value_or(unknown);
  run.log(TextId::FirmwareVersions, from.c_str(), to.c_str());
  const bool downgrade = compareFirmwareVersions(current, image) == FirmwareStep::Downgrade;
  switch (run.request.firmware) {
    case FirmwareConsent::AskUser: {
      std::string question = formatText(text(TextId::FirmwareConfirm, run.language), from.c_str(), to.c_str());
      if (downgrade) question += text(TextId::FirmwareDowngradeWarning, run.language);
      if (run.state.host().messageBox(question, MessageButtons::YesNo) == MessageAnswer::Yes) return true;
      run.log(TextId::FirmwareUpdateCancelled, from.c_str());
      return false;
    }
    case FirmwareConsent::RefuseDowngrade:
      if (!downgrade) return true;
      run.log(TextId::FirmwareDowngradeRefused, to.c_str(), from.c_str());
      return false;
    case FirmwareConsent::AllowDowngrade:
      break;
  }
  return true;
}

}  // namespace

FirmwareChoice chooseFirmwareImage(const std::string& version) {
  if (contains(version, "DB") && !contains(version, "DBGPRO")) return {"Firmware/DBG4V0_APP.bin", false};
  if (contains(version, "KT90 V4")) return {"Firmware/KT90_4_0.bin", false};
  if (contains(version, "KT90 V5")) return {"Firmware/KT90_5_0.bin", false};
  if (contains(version, "KT90PRO V1")) {
    if (contains(version, "S")) return {"Firmware/KT90_5_0.bin", false};
    return {"", true};
  }
  return {};
}

bool upgradeRecordInStorage(const std::string& version) {
  return contains(version, "DB") && !contains(version, "DBGPRO");
}

std::uint32_t firmwareCapacity(bool recordInStorage) {
  return recordInStorage ? storage::kUpgradeRecord - storage::kFirmwareArea : storage::kFirmwareMaxSize;
}

Bytes upgradeRecord(std::uint32_t imageSize) {
  Bytes record;
  appendU32(record, imageSize);
  record.push_back(storage::kUpgradeMarker);
  return record;
}

OperationState runFirmwareUpdate(OperationRun& run) {
  if (!run.openDevice()) return OperationState::Failed;
  const std::optional<std::string> identified = identifyProgrammer(run).firmwareVersion;
  const std::string version = identified.value_or(std::string());

  const FirmwareChoice choice = chooseFirmwareImage(version);
  if (choice.replaceProgrammer) {
    run.state.host().messageBox(text(TextId::FirmwareReplaceProgrammer, run.language), MessageButtons::Ok);
  }
  const std::string path = choice.imageName.empty() ? std::string() : run.state.programDir() + "/" + choice.imageName;
  run.state.appendLog(path + "\r\n");
  const bool inStorage = upgradeRecordInStorage(version);
  const std::optional<Bytes> image = readImage(run, path, firmwareCapacity(inStorage));
  if (!image) return OperationState::Failed;
  // The start-up code installs only an image whose header holds; any other leaves the
  // programmer's firmware as it was.
  const std::optional<FirmwareImage> parsed = parseFirmwareImage(*image);
  const std::optional<std::string> imageVersion = parsed ? std::optional(parsed->version) : std::nullopt;
  if (!consentToImage(run, identified, imageVersion)) return OperationState::Failed;

  run.log(TextId::FirmwareUpdateStart);
  run.setProgressRange(2 * pieceCount(image->size()));
  if (!transferAreaVerified(run, *image, storage::kFirmwareArea, 0)) return OperationState::Failed;

  run.log(TextId::FirmwareImageVerified);
  const Bytes record = upgradeRecord(static_cast<std::uint32_t>(image->size()));
  run.log(TextId::FirmwareRecordStart);
  if (!writeRecord(run, record, inStorage)) return OperationState::Failed;

  if (run.driver.SendCmd(CMD_SoftReset) != 1) {
    run.log(TextId::SendCmdSoftResetFailed);
    return OperationState::Failed;
  }
  run.log(TextId::FirmwareRecordDone);
  if (imageVersion) {
    run.outcome.previousFirmwareVersion = version;
    run.outcome.firmwareVersion = *imageVersion;
  }
  return OperationState::Passed;
}

}  // namespace kt90
