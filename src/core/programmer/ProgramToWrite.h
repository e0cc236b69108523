#pragma once
#include <string>

#include "core/chip/ChipInfo.h"
#include "core/progfile/ProgramImage.h"

namespace kt90 {

class WorkingState;
struct OperationOutcome;
struct UploadedProgram;

// The chip an operation programs or reads: its model names its CIF and definition; the
// definition's chip-wide values (word width, read keys, firmware check) come with it.
struct ChipTarget {
  std::string model;
  ChipInfo info;
};

// What goes into an operation from the project, and what the project takes back from it.

// What a download writes, and what an upload or a chip read is measured against: the
// project's program and its chip, taken once when the operation is asked for. The operation
// never reads the project itself, so a gang's programmers share one copy and the window's
// program stays the window's.
struct ProgramToWrite {
  ProgramImage image;
  ChipTarget chip;
};

// The working state's program and chip as a request carries them.
ProgramToWrite programToWrite(const WorkingState& project);

// Keeps in `project` what a download that stored its program learnt (the ConfigBlock with
// the signature it computed) and saves the project file as the automatic save does. False
// when the download stored nothing or the file was not saved.
bool keepDownloadedProgram(WorkingState& project, const OperationOutcome& outcome);

// An upload's program becomes the project's, unsaved, under the chip its head names.
void adoptUploadedProgram(WorkingState& project, const UploadedProgram& uploaded);

}  // namespace kt90
