#include "core/programmer/JournalEntry.h"

#include <filesystem>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/journal/JournalLocation.h"
#include "core/journal/JournalTime.h"
#include "core/progfile/Checksums.h"
#include "core/progfile/Crc16.h"

namespace kt90 {

namespace {

void addProgram(JournalRecord& record, const std::string& programFile, const WorkingState& state) {
  std::error_code error;
  const std::filesystem::path file = pathFromUtf8(programFile);
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

JournalRecord journalRecord(FinishedOperation&& finished, const OperationRequest& request,
                            const OperationOutcome& outcome, const WorkingState& state) {
  JournalRecord record;
  record.time = journalTime(finished.start);
  record.durationMs = finished.duration.count();
  record.host = stationName();
  record.operation = deviceOperationName(request.op);
  record.port = request.port;
  record.passed = outcome.finalState != OperationState::Failed;
  record.resultCode = outcome.resultCode;
  record.programmerUid = outcome.uid;
  record.firmwareVersion = outcome.firmwareVersion.value_or(std::string());
  record.rollingCode = outcome.rollingCode;
  record.serialFirst = outcome.serialFirst;
  record.serialLast = outcome.serialLast;
  if (outcome.counters) {
    record.countersTotal = outcome.counters->total;
    record.countersSuccesses = outcome.counters->successes;
  }
  record.log = std::move(finished.log);
  // A download names the file it sent; a passed upload the file it saved into (the state's).
  if (request.op == DeviceOperation::Download) addProgram(record, request.programFile, state);
  if (request.op == DeviceOperation::Upload && record.passed) addProgram(record, state.fileName(), state);
  if (request.op == DeviceOperation::ReadChip) record.model = state.chipModelName();
  return record;
}

}  // namespace kt90
