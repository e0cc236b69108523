#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/programmer/Commands.h"
#include "core/programmer/StorageMap.h"

namespace kt90::sim {

// The one-time-programmable chip in the programmer's socket. Programming can only turn
// 1-bits into 0-bits, as in the real part: a word once burnt cannot be raised again.
class SocketChip {
 public:
  using Key = std::array<std::uint8_t, kPowerKeySize>;
  static constexpr std::size_t kCalibrations = 8;

  explicit SocketChip(int wordWidth = 14) { makeBlank(wordWidth); }

  // A new, erased chip of `wordWidth` bits, present in the socket.
  void makeBlank(int wordWidth);

  bool present = true;
  // Key bytes the chip demands at power-on; none = it opens with any key.
  std::optional<Key> key;

  int wordWidth() const { return wordWidth_; }
  std::uint16_t blankWord() const { return blank_; }

  std::uint16_t code(std::size_t word) const { return code_[word]; }
  std::uint16_t option(std::size_t index) const { return options_[index]; }
  // Burns `value` into a word: bits already 0 stay 0.
  void burnCode(std::size_t word, std::uint16_t value) { code_[word] &= static_cast<std::uint16_t>(value | ~blank_); }
  void burnOption(std::size_t index, std::uint16_t value) {
    options_[index] &= static_cast<std::uint16_t>(value | ~blank_);
  }
  // Test and state-file access to every cell, without the burn rule.
  std::vector<std::uint16_t>& rawCode() { return code_; }
  std::array<std::uint16_t, chipmap::kOptionCount>& rawOptions() { return options_; }
  const std::vector<std::uint16_t>& rawCode() const { return code_; }
  const std::array<std::uint16_t, chipmap::kOptionCount>& rawOptions() const { return options_; }

  // Oscillator trim values found by the calibrations, by entry (0 = not calibrated).
  std::array<std::uint16_t, kCalibrations> calibration{};

  bool isBlank(std::size_t words) const;

  // Identification bytes sit in the low byte of option words the factory programmed; a
  // blank word reads 0xFF. nullopt outside the option words: no chip identifies itself there.
  static bool identifies(std::uint32_t wordAddress);
  std::optional<std::uint8_t> idByte(std::uint32_t wordAddress) const;
  // Makes this a chip of the model whose byte at `wordAddress` is `id`.
  void setIdByte(std::uint32_t wordAddress, std::uint8_t id);

  // `count` bytes at chip word `wordAddress` (code from 0, option words at 0x2000), low
  // byte first; nullopt outside the chip.
  std::optional<std::vector<std::uint8_t>> read(std::uint32_t wordAddress, std::uint32_t count) const;

 private:
  int wordWidth_ = 14;
  std::uint16_t blank_ = 0x3FFF;
  std::vector<std::uint16_t> code_;
  std::array<std::uint16_t, chipmap::kOptionCount> options_{};
};

}  // namespace kt90::sim
