#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "core/programmer/ProgramToWrite.h"

namespace kt90 {

class JournalStore;

enum class DeviceOperation { Download, Upload, ReadChip, HardwareTest, UpdateFirmware, Statistics, QueryUid };
inline constexpr DeviceOperation kDeviceOperations[] = {
    DeviceOperation::Download,       DeviceOperation::Upload,     DeviceOperation::ReadChip, DeviceOperation::HardwareTest,
    DeviceOperation::UpdateFirmware, DeviceOperation::Statistics, DeviceOperation::QueryUid};

// How a firmware update takes the image it found: the window asks the user, naming both
// versions and warning of a downgrade; a script goes on unless the image is older than the
// programmer's firmware, or also then when it allowed a downgrade.
enum class FirmwareConsent { RefuseDowngrade, AllowDowngrade, AskUser };

// What one device operation is asked to do: everything that differs between a window, a
// single kt90ctl run and a gang member is here. The working state it runs with only hears
// the log and the operation states (and, for an upload or a read, shows what came back).
struct OperationRequest {
  DeviceOperation op = DeviceOperation::Download;
  // The program and chip, taken from the project when the operation was asked for.
  ProgramToWrite program;
  // What the driver opens: a serial port's name or path (the emulator ignores it).
  std::string devicePort;
  // How the log and the journal name the programmer: the port as given, or "sim:PATH".
  std::string port;
  // The program file a download sends, as the journal names it (absolute).
  std::string programFile;
  // The working state holds the project `program` was taken from: a download that stored the
  // program keeps what it learnt there and saves the project file. A gang's programmers do
  // not; the gang does it once, at the end.
  bool saveProjectFile = true;
  // The serials of a stand-alone download whose file has no program limit.
  std::optional<std::uint64_t> serialCount;
  // Where serial blocks are reserved; none: the journal is off and serials are not reserved.
  JournalStore* serialLedger = nullptr;
  // Says why the port cannot be used (no permission to open it), empty when it can. Asked
  // once the guard has admitted the operation, so a refusal is journaled like any failure.
  std::function<std::string()> portProblem;
  FirmwareConsent firmware = FirmwareConsent::RefuseDowngrade;
};

// The request for `op` with `program` on a programmer opened as `devicePort` and named `port`.
inline OperationRequest operationRequest(DeviceOperation op, ProgramToWrite program, std::string devicePort,
                                         std::string port) {
  OperationRequest request;
  request.op = op;
  request.program = std::move(program);
  request.devicePort = std::move(devicePort);
  request.port = std::move(port);
  return request;
}

}  // namespace kt90
