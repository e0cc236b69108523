#include "core/progfile/BinFile.h"

#include <algorithm>

#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {

std::optional<std::size_t> readBinInto(ByteView file, std::span<std::uint8_t> buffer, LanguageId language,
                                       Reporter& reporter) {
  if (file.size() > buffer.size()) {
    reporter.log(formatText(text(TextId::BinTooLarge, language), static_cast<unsigned>(file.size()),
                            static_cast<unsigned>(buffer.size())));
    return std::nullopt;
  }
  std::copy(file.begin(), file.end(), buffer.begin());
  return file.size();
}

bool readBin(ByteView file, ProgramImage& image, LanguageId language, Reporter& reporter) {
  return readBinInto(file, image.code(), language, reporter).has_value();
}

}  // namespace kt90
