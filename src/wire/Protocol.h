#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace kt90::wire {

// Request types; a reply carries the request's type with kReplyBit set and the request's
// sequence number. One request per driver call (the CIF data takes 33), one reply each.
// Payload layouts are in docs/protocol.md.
enum class Op : std::uint8_t {
  Ping = 0x01,          // -> [status][protocol version]
  Command = 0x02,       // [cmd] -> [status]
  Packet = 0x03,        // [bytes...] -> [status]
  FeatureBegin = 0x04,  // [total u16] -> [status]
  FeatureChunk = 0x05,  // [offset u16][bytes...] -> [status]
  WaitData = 0x06,      // [length u16][wait ms u32] -> [status][bytes...]
  WriteData = 0x10,     // [address u32][bytes...] -> [status]
  ReadData = 0x11,      // [address u32][length u16] -> [status][bytes...]
  WriteEeprom = 0x12,   // as WriteData
  ReadEeprom = 0x13,    // as ReadData
  ReadMcu = 0x20,       // [word address u32][length u16] -> [status][bytes...]
  PowerOn = 0x21,       // [5 key bytes] -> [status]
  PowerOff = 0x22,      // -> [status]
  GetStatus = 0x23,     // -> [status][ready u8]
  HardwareTest = 0x24,  // [mask u32] -> [status][failed mask u32]
};

inline constexpr std::uint8_t kReplyBit = 0x80;
inline constexpr std::uint8_t kProtocolVersion = 1;

// First byte of every reply payload.
enum class Status : std::uint8_t {
  Ok = 0,
  Refused = 1,    // understood, but the programmer will not do it (range, state, command)
  Malformed = 2,  // payload too short or too long for the request
  UnknownOp = 3,
};

inline constexpr std::size_t kFeatureChunk = 64;
// Longest WaitData reply a request may ask for.
inline constexpr std::size_t kMaxWaitData = 1024;

// Serial settings of the line (a pseudo-terminal ignores them).
inline constexpr std::int32_t kBaudRate = 115200;

// How long a caller waits for an ordinary reply unless told otherwise.
inline constexpr std::chrono::milliseconds kDefaultReplyTimeout{1000};

// A frame's bytes follow one another without a pause; after this long with no byte, both
// ends give up a partial frame, so a cut frame or a false start in noise costs one request.
inline constexpr std::chrono::milliseconds kIdleGap{50};

using Clock = std::chrono::steady_clock;

}  // namespace kt90::wire
