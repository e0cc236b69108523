#include "wire/Frame.h"

#include <algorithm>

#include "core/progfile/Crc16.h"

namespace kt90::wire {

namespace {

std::uint8_t headerCheck(const std::uint8_t* seqTypeLength) {
  return static_cast<std::uint8_t>(crc16(ByteView(seqTypeLength, 4)));
}

}  // namespace

void encodeFrameInto(Bytes& out, std::uint8_t seq, std::uint8_t type, ByteView payload) {
  if (payload.size() > kMaxPayload) return;
  const std::size_t begin = out.size();
  out.reserve(begin + kOverhead + payload.size());
  out.push_back(kSync0);
  out.push_back(kSync1);
  out.push_back(seq);
  out.push_back(type);
  appendU16(out, static_cast<std::uint16_t>(payload.size()));
  out.push_back(headerCheck(&out[begin + 2]));
  appendBytes(out, payload);
  Crc16 crc;
  crc.feed(ByteView(&out[begin + 2], 4)).feed(payload);
  appendU16(out, crc.value());
}

Bytes encodeFrame(const Frame& frame) {
  Bytes out;
  encodeFrameInto(out, frame.seq, frame.type, frame.payload);
  return out;
}

void FrameDecoder::feed(ByteView bytes) {
  // Compact before growing so the buffer stays the size of one frame or so.
  if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  appendBytes(buffer_, bytes);
}

void FrameDecoder::reset() {
  buffer_.clear();
  start_ = 0;
}

void FrameDecoder::drop(std::size_t count) {
  start_ += count;
  dropped_ += count;
}

std::optional<Frame> FrameDecoder::next() {
  while (buffered() > 0) {
    const std::uint8_t* p = buffer_.data() + start_;
    const std::size_t have = buffered();
    if (p[0] != kSync0) {
      const auto* sync = std::find(p + 1, p + have, kSync0);
      drop(static_cast<std::size_t>(sync - p));
      continue;
    }
    if (have < 2) return std::nullopt;
    if (p[1] != kSync1) {
      drop(1);
      continue;
    }
    if (have < kHeaderSize) return std::nullopt;
    const std::size_t length = readU16(p + 4);
    if (length > kMaxPayload || headerCheck(p + 2) != p[6]) {
      drop(1);
      continue;
    }
    const std::size_t total = kOverhead + length;
    if (have < total) return std::nullopt;
    Crc16 crc;
    crc.feed(ByteView(p + 2, 4)).feed(ByteView(p + kHeaderSize, length));
    if (crc.value() != readU16(p + kHeaderSize + length)) {
      drop(1);
      continue;
    }
    Frame frame{p[2], p[3], Bytes(p + kHeaderSize, p + kHeaderSize + length)};
    start_ += total;
    return frame;
  }
  return std::nullopt;
}

}  // namespace kt90::wire
