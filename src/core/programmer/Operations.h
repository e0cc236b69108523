#pragma once
#include <string>

#include "core/programmer/OperationRun.h"

namespace kt90 {

// The operations behind runDeviceOperation, each after the guard, the Running state and
// the cleared log. Each opens the device through run.openDevice() and returns the state it
// ends in: Passed or Failed, or Ready when its summary set it. The caller shows Passed and
// Failed, then closes the device.
OperationState runDownload(OperationRun& run);
OperationState runUpload(OperationRun& run);
OperationState runReadChip(OperationRun& run);
OperationState runHardwareTest(OperationRun& run);
OperationState runFirmwareUpdate(OperationRun& run);
OperationState runStatistics(OperationRun& run);

}  // namespace kt90
