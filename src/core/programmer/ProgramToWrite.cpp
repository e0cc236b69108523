#include "core/programmer/ProgramToWrite.h"

#include "core/app/SaveProgramFile.h"
#include "core/app/WorkingState.h"
#include "core/programmer/OperationOutcome.h"

namespace kt90 {

ProgramToWrite programToWrite(const WorkingState& project) {
  return {project.image(), {project.chipModelName(), project.chipInfo()}};
}

bool keepDownloadedProgram(WorkingState& project, const OperationOutcome& outcome) {
  if (!outcome.writtenConfig) return false;
  project.image().config = *outcome.writtenConfig;
  return autoSave(project);
}

void adoptUploadedProgram(WorkingState& project, const UploadedProgram& uploaded) {
  ProgramImage image = uploaded.image;
  project.adoptProgram(std::move(image), uploaded.info, uploaded.chip);
  project.setOperationState(OperationState::Passed);
  project.loadChipDefinition(false);
  project.clearFileName();
  project.markChanged();
}

}  // namespace kt90
