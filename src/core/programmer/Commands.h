#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace kt90 {

// Command bytes of CKT90Driver::SendCmd.
inline constexpr std::uint8_t CMD_GET_VERSION = 0x17;
inline constexpr std::uint8_t CMD_APP_ID = 0x72;
inline constexpr std::uint8_t CMD_SoftReset = 0x35;
inline constexpr std::uint8_t CMD_PROGRAM = 0x42;
// The counters are asked for with a two-byte packet.
inline constexpr std::array<std::uint8_t, 2> CMD_GET_OPER_NUM = {0x18, 0x02};

namespace reply {

// CMD_GET_VERSION: the version text (ANSI code page), ended by a zero byte.
inline constexpr std::size_t kVersionSize = 32;

// CMD_APP_ID: the 12-byte U_ID at bytes 9-20 of the reply.
inline constexpr std::size_t kAppIdSize = 32;
inline constexpr std::size_t kUidOffset = 9;
inline constexpr std::size_t kUidSize = 12;

// CMD_GET_OPER_NUM: u32 total runs, u32 successful runs.
inline constexpr std::size_t kOperNumSize = 8;

// CMD_PROGRAM on a debugger-type programmer answers, one WaitData each:
//   1. acknowledgement byte, kProgramOk when the run started;
//   2. status byte, kProgramOk when the chip was programmed;
//   3. on failure: the result code (0-15);
//      on success with the rolling code on: the 4 serial bytes the chip received.
inline constexpr std::uint8_t kProgramOk = 0x00;
inline constexpr std::uint8_t kProgramFailed = 0x01;
inline constexpr std::size_t kRollingCodeSize = 4;

}  // namespace reply

// Result codes of a programming run (the texts are in the string table).
namespace result {
inline constexpr std::uint8_t kSelfTest = 0x0;
inline constexpr std::uint8_t kPlacement = 0x1;
inline constexpr std::uint8_t kBlankCheck = 0x2;
inline constexpr std::uint8_t kProgramming = 0x3;
inline constexpr std::uint8_t kVerify = 0x4;
inline constexpr std::uint8_t kCalibration = 0x5;
inline constexpr std::uint8_t kConfiguration = 0x6;
inline constexpr std::uint8_t kOpenShort = 0x7;
inline constexpr std::uint8_t kRollingCode = 0x8;
inline constexpr std::uint8_t kLoadProgram = 0x9;
inline constexpr std::uint8_t kChipId = 0xC;
inline constexpr std::uint8_t kProgramLimit = 0xF;
inline constexpr std::uint8_t kCount = 16;
}  // namespace result

// Five key bytes handed to ProPowerOn.
inline constexpr std::size_t kPowerKeySize = 5;

}  // namespace kt90
