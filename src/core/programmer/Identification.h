#pragma once
#include <optional>
#include <string>

#include "core/base/Bytes.h"
#include "core/progfile/Records.h"
#include "core/programmer/OperationRun.h"

namespace kt90 {

// What this operation's own identification learnt. A value is present only when its
// command was accepted in this operation, so nothing of an earlier programmer counts.
struct Identity {
  std::optional<std::string> firmwareVersion;
  std::optional<ProgrammerUid> uid;
};

// The version text of a CMD_GET_VERSION reply: the bytes up to the first zero, as ANSI,
// at most 32 UTF-16 units. `terminated` tells whether the reply had its zero byte.
std::string versionFromReply(ByteView reply, bool& terminated);

// " %02X" for each byte, upper case: the U_ID as the log shows it.
std::string uidLogText(const ProgrammerUid& uid);
// 24 upper-case hexadecimal digits.
std::string uidHex(const ProgrammerUid& uid);

// Version text and U_ID of the open programmer, logged; an accepted U_ID also becomes the
// working state's connectedUid. A refused command, or a reply that did not arrive whole,
// leaves its value absent (and says so); the operation goes on.
Identity identifyProgrammer(OperationRun& run);

// A version containing "DB" (which "DBGPRO" contains too) is a debugger-type programmer.
bool isDebuggerType(const std::string& version);

// The check the Download makes: an accepted version passes when it occurs in `supported`
// (an accepted empty version passes). An unknown version never passes.
bool firmwareSupported(const std::optional<std::string>& version, const std::string& supported);
// The same, logging message 22 (or why there is no version to check) on failure.
bool checkFirmwareVersion(OperationRun& run, const Identity& identity);

// The U_ID query of the U_ID settings: its own open, CMD_APP_ID and close; no version
// exchange, no state change. Every failure logs its reason, a port that does not open too.
std::optional<ProgrammerUid> queryProgrammerUid(OperationRun& run, const std::string& portName);

}  // namespace kt90
