#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/base/Bytes.h"
#include "wire/Protocol.h"

namespace kt90::wire {

// One packet on the line:
//   0xA5 0x5A | seq u8 | type u8 | length u16 | header check u8 | payload | crc u16
// The header check is the low byte of the CRC-16 over seq, type and length, so a false
// start in line noise is refused before its length is believed. The CRC-16 covers seq to
// the end of the payload. All values little-endian.
struct Frame {
  std::uint8_t seq = 0;
  std::uint8_t type = 0;
  Bytes payload;
  bool operator==(const Frame&) const = default;
};

inline constexpr std::uint8_t kSync0 = 0xA5;
inline constexpr std::uint8_t kSync1 = 0x5A;
inline constexpr std::size_t kHeaderSize = 7;
inline constexpr std::size_t kTrailerSize = 2;
inline constexpr std::size_t kOverhead = kHeaderSize + kTrailerSize;
inline constexpr std::size_t kMaxPayload = 4096;

// The bytes of `frame` on the line; empty when the payload exceeds kMaxPayload.
Bytes encodeFrame(const Frame& frame);
void encodeFrameInto(Bytes& out, std::uint8_t seq, std::uint8_t type, ByteView payload);

// Reassembles frames from a byte stream cut anywhere. Bytes that cannot start a valid
// frame (noise, a damaged frame) are dropped one at a time, so the next good frame is
// found again. A reader that saw the line silent for kIdleGap says so, and a partial frame
// is given up, so a cut frame or a false header never swallows the next request or reply.
// Callers take every frame with next() after each feed.
class FrameDecoder {
 public:
  void feed(ByteView bytes);
  // No byte arrived for kIdleGap (a poll or read that waited that long came back empty):
  // what is buffered is given up.
  void idleGapPassed() { drop(buffered()); }
  // The next complete valid frame, or nullopt when more bytes are needed.
  std::optional<Frame> next();
  // Forgets everything buffered (after the line was closed).
  void reset();

  std::size_t buffered() const { return buffer_.size() - start_; }
  std::size_t droppedBytes() const { return dropped_; }

 private:
  void drop(std::size_t count);
  Bytes buffer_;
  std::size_t start_ = 0;
  std::size_t dropped_ = 0;
};

}  // namespace kt90::wire
