#include "core/programmer/Identification.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/base/Encoding.h"
#include "core/programmer/Commands.h"

namespace kt90 {

namespace {

constexpr std::size_t kVersionUnits = 32;

// The 12 bytes at 9-20 of a complete CMD_APP_ID reply.
std::optional<ProgrammerUid> readAppIdReply(CKT90Driver& driver) {
  std::array<std::uint8_t, reply::kAppIdSize> buffer{};
  if (!driver.WaitData(buffer.data(), reply::kAppIdSize, 1)) return std::nullopt;
  ProgrammerUid uid{};
  std::copy_n(buffer.begin() + reply::kUidOffset, reply::kUidSize, uid.begin());
  return uid;
}

}  // namespace

std::string versionFromReply(ByteView reply, bool& terminated) {
  const auto end = std::find(reply.begin(), reply.end(), std::uint8_t{0});
  terminated = end != reply.end();
  const std::string ansi(reply.begin(), end);
  return cutToUtf16Units(ansiToUtf8(ansi), kVersionUnits);
}

std::string uidLogText(const ProgrammerUid& uid) {
  std::string out;
  for (std::uint8_t b : uid) out += formatText(" %02X", b);
  return out;
}

std::string uidHex(const ProgrammerUid& uid) {
  std::string out;
  for (std::uint8_t b : uid) out += formatText("%02X", b);
  return out;
}

Identity identifyProgrammer(OperationRun& run) {
  Identity identity;
  CKT90Driver& driver = run.driver;
  if (driver.SendCmd(CMD_GET_VERSION) != 1) {
    run.log(TextId::SendCmdVersionFailed);
    return identity;
  }
  // A reply that never came is no version: an empty text would pass the version check.
  std::array<std::uint8_t, reply::kVersionSize> buffer{};
  if (!driver.WaitData(buffer.data(), reply::kVersionSize, 1)) {
    run.log(TextId::VersionReplyMissing);
    return identity;
  }
  bool terminated = true;
  const std::string version = versionFromReply(buffer, terminated);
  if (!terminated) run.log(TextId::VersionReplyUnterminated);
  run.log(TextId::FirmwareVersionRead, version.c_str());
  identity.firmwareVersion = version;
  run.outcome.firmwareVersion = version;

  if (driver.SendCmd(CMD_APP_ID) != 1) {
    run.log(TextId::SendCmdAppIdFailed);
    return identity;
  }
  // A reply cut short would give a U_ID of zeros, which no list should match or gain.
  identity.uid = readAppIdReply(driver);
  if (!identity.uid) {
    run.log(TextId::UidReplyShort);
    return identity;
  }
  run.log(TextId::IdentifiedUid, uidLogText(*identity.uid).c_str());
  run.state.setConnectedUid(identity.uid);
  run.outcome.uid = uidHex(*identity.uid);
  return identity;
}

bool isDebuggerType(const std::string& version) { return version.find("DB") != std::string::npos; }

bool firmwareSupported(const std::optional<std::string>& version, const std::string& supported) {
  if (!version) return false;
  return version->empty() || supported.find(*version) != std::string::npos;
}

bool checkFirmwareVersion(OperationRun& run, const Identity& identity) {
  const std::string& supported = run.state.settings().supportedFirmware;
  if (firmwareSupported(identity.firmwareVersion, supported)) return true;
  if (!identity.firmwareVersion) run.log(TextId::FirmwareVersionUnknown);
  run.log(TextId::FirmwareMismatch, supported.c_str());
  return false;
}

std::optional<ProgrammerUid> queryProgrammerUid(OperationRun& run, const std::string& portName) {
  DeviceSession session(run.driver);
  if (!session.open(portName)) {
    run.log(TextId::DeviceNotConnected);
    return std::nullopt;
  }
  if (run.driver.SendCmd(CMD_APP_ID) != 1) {
    run.log(TextId::SendCmdAppIdFailed);
    return std::nullopt;
  }
  const std::optional<ProgrammerUid> uid = readAppIdReply(run.driver);
  if (!uid) run.log(TextId::UidReplyShort);
  return uid;
}

}  // namespace kt90
