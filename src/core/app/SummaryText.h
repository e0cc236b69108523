#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/progfile/Checksums.h"
#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

struct SummaryText {
  std::string text;
  std::uint16_t usedWords = 0;
  // Set when the rolling code is shown: the code range was recomputed and may overflow.
  std::optional<CodeRangeResult> codeRange;
};

// The summary of the program image. Computing it computes the signature and the file
// checksum, with their side effects on the ConfigBlock.
SummaryText imageSummaryText(ProgramImage& image, std::uint8_t bitWidth, LanguageId language);

// The summary of a chip read: `headCopy` is the image's head area with the option words
// read from the chip, `readCode` the code read (the program's words are used).
SummaryText readSummaryText(ProgramImage& image, HeadArea& headCopy, ByteView readCode, std::uint8_t bitWidth,
                            LanguageId language);

}  // namespace kt90
