#pragma once
#include <cstddef>
#include <optional>

#include "core/base/Bytes.h"

namespace kt90 {

// Sequential reads from a byte block, the way the readers walk a file: each read either
// gets all its bytes or nothing, and a failed read leaves the position where it was.
class ByteCursor {
 public:
  explicit ByteCursor(ByteView bytes) : bytes_(bytes) {}

  std::optional<ByteView> take(std::size_t count) {
    if (count > remaining()) return std::nullopt;
    const ByteView out = bytes_.subspan(pos_, count);
    pos_ += count;
    return out;
  }
  std::optional<std::uint8_t> takeU8() {
    const auto b = take(1);
    return b ? std::optional<std::uint8_t>((*b)[0]) : std::nullopt;
  }
  std::optional<std::uint16_t> takeU16() {
    const auto b = take(2);
    return b ? std::optional<std::uint16_t>(readU16(b->data())) : std::nullopt;
  }
  std::optional<std::uint32_t> takeU32() {
    const auto b = take(4);
    return b ? std::optional<std::uint32_t>(readU32(b->data())) : std::nullopt;
  }

  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return bytes_.size() - pos_; }

 private:
  ByteView bytes_;
  std::size_t pos_ = 0;
};

}  // namespace kt90
