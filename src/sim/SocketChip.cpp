#include "sim/SocketChip.h"

#include <algorithm>

#include "core/progfile/ProgramImage.h"

namespace kt90::sim {

void SocketChip::makeBlank(int wordWidth) {
  wordWidth_ = std::clamp(wordWidth, 8, 16);
  blank_ = blankWordFor(wordWidth_);
  code_.assign(chipmap::kCodeWords, blank_);
  options_.fill(blank_);
  calibration.fill(0);
  present = true;
  key.reset();
}

bool SocketChip::isBlank(std::size_t words) const {
  const std::size_t n = std::min(words, code_.size());
  return std::all_of(code_.begin(), code_.begin() + static_cast<std::ptrdiff_t>(n),
                     [this](std::uint16_t w) { return w == blank_; });
}

bool SocketChip::identifies(std::uint32_t wordAddress) {
  return wordAddress >= chipmap::kOptionWords && wordAddress < chipmap::kOptionWords + chipmap::kOptionCount;
}

std::optional<std::uint8_t> SocketChip::idByte(std::uint32_t wordAddress) const {
  if (!identifies(wordAddress)) return std::nullopt;
  return static_cast<std::uint8_t>(options_[wordAddress - chipmap::kOptionWords]);
}

void SocketChip::setIdByte(std::uint32_t wordAddress, std::uint8_t id) {
  if (identifies(wordAddress))
    options_[wordAddress - chipmap::kOptionWords] = static_cast<std::uint16_t>((blank_ & 0xFF00) | id);
}

std::optional<std::vector<std::uint8_t>> SocketChip::read(std::uint32_t wordAddress, std::uint32_t count) const {
  if (count % 2 != 0) return std::nullopt;
  const std::uint32_t words = count / 2;
  const std::uint64_t end = std::uint64_t{wordAddress} + words;
  const std::uint16_t* source = nullptr;
  if (end <= chipmap::kCodeWords) {
    source = code_.data() + wordAddress;
  } else if (wordAddress >= chipmap::kOptionWords && end <= chipmap::kOptionWords + chipmap::kOptionCount) {
    source = options_.data() + (wordAddress - chipmap::kOptionWords);
  } else {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(count);
  for (std::uint32_t i = 0; i < words; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(source[i]));
    bytes.push_back(static_cast<std::uint8_t>(source[i] >> 8));
  }
  return bytes;
}

}  // namespace kt90::sim
