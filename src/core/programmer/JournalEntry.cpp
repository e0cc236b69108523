#include "core/programmer/JournalEntry.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/journal/JournalLocation.h"
#include "core/journal/JournalTime.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/Crc16.h"

namespace kt90 {

namespace {

std::optional<std::int64_t> numberFigure(const OperationOutcome& outcome, const char* name) {
  const std::string text = outcome.figure(name);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

void addProgram(JournalRecord& record, const WorkingState& state) {
  std::error_code error;
  const std::filesystem::path file = pathFromUtf8(state.fileName());
  const std::filesystem::path absolute = file.empty() ? file : std::filesystem::absolute(file, error);
  record.file = pathToUtf8(error ? file : absolute);
  record.model = state.chipModelName();
  // The checksum computes the signature into the image: work on a copy.
  ProgramImage image = state.image();
  record.codeCrc = crc16(image.programBytes());
  record.fileChecksum = fileChecksum(image);
  record.programLimit = image.head.programLimit();
  record.downloadLimit = image.protection.downloadLimit;
}

}  // namespace

JournalRecord journalRecord(FinishedOperation&& finished, const OperationOutcome& outcome, const WorkingState& state) {
  JournalRecord record;
  record.time = journalTime(finished.start);
  record.durationMs = finished.duration.count();
  record.host = stationName();
  record.operation = deviceOperationName(finished.op);
  record.port = std::move(finished.port);
  record.passed = outcome.finalState != OperationState::Failed;
  record.resultCode = numberFigure(outcome, "resultCode");
  record.programmerUid = outcome.figure("uid");
  record.firmwareVersion = outcome.figure("firmwareVersion");
  record.rollingCode = outcome.figure("rollingCode");
  record.countersTotal = numberFigure(outcome, "total");
  record.countersSuccesses = numberFigure(outcome, "successes");
  record.log = std::move(finished.log);
  const bool programMoved =
      finished.op == DeviceOperation::Download || (finished.op == DeviceOperation::Upload && record.passed);
  if (programMoved) addProgram(record, state);
  if (finished.op == DeviceOperation::ReadChip) record.model = state.chipModelName();
  return record;
}

}  // namespace kt90
