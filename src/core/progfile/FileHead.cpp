#include "core/progfile/FileHead.h"

#include <algorithm>

namespace kt90 {

std::array<std::uint8_t, FileHead::kNameSize> FileHead::chipName() const {
  std::array<std::uint8_t, kNameSize> name{};
  std::copy_n(bytes.begin() + 8, kNameSize, name.begin());
  return name;
}

void FileHead::setChipName(const std::array<std::uint8_t, kNameSize>& name) {
  std::copy(name.begin(), name.end(), bytes.begin() + 8);
}

}  // namespace kt90
