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

void addProgram(JournalRecord& record, const std::string& programFile, const ProgramImage& program,
                const std::string& model) {
  std::error_code error;
  const std::filesystem::path file = pathFromUtf8(programFile);
  const std::filesystem::path absolute = file.empty() ? file : std::filesystem::absolute(file, error);
  record.file = pathToUtf8(error ? file : absolute);
  record.model = model;
  // The checksum computes the signature into the image: work on a copy.
  ProgramImage image = program;
  record.codeCrc = crc16(image.programBytes());
  record.fileChecksum = fileChecksum(image);
  record.programLimit = image.head.programLimit();
  record.downloadLimit = image.protection.downloadLimit;
}

}  // namespace

JournalRecord journalRecord(FinishedOperation&& finished, const OperationRequest& request,
                            const OperationOutcome& outcome) {
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
  // A download names the file and program it sent; an upload the program it brought back
  // (no file holds it yet); a read the chip it read.
  const ChipTarget& chip = request.program.chip;
  if (request.op == DeviceOperation::Download)
    addProgram(record, request.programFile, request.program.image, chip.model);
  if (outcome.uploaded) addProgram(record, std::string(), outcome.uploaded->image, outcome.uploaded->chip.model);
  if (request.op == DeviceOperation::ReadChip) record.model = chip.model;
  return record;
}

}  // namespace kt90
