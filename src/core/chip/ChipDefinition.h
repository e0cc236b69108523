#pragma once
#include <cstdint>
#include <string>

#include "core/base/Reporter.h"
#include "core/chip/ChipInfo.h"
#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

// What names the definition to load: the program directory, the user-interface language
// (which picks CH_DEV or EN_DEV) and the current chip model name.
struct ChipContext {
  std::string programDir;
  LanguageId language = kChinese;
  std::string model;
  bool serviceMode = false;  // only the old-file variant looks at it
};

// The largest program a chip may have: the code buffer holds 32,768 words.
inline constexpr std::int32_t kMaxChipSizeWords = 32768;
// Code words of the chips this program serves have 8 to 16 bits.
inline constexpr std::int32_t kMinBitWidth = 8;
inline constexpr std::int32_t kMaxBitWidth = 16;

// "<programDir>/CH_DEV/<model>.dev" or ".../EN_DEV/...". Empty for an unknown language, and
// for a model name that would leave the folder (it may come from a file's name field).
std::string chipDefinitionPath(const std::string& programDir, LanguageId language, const std::string& model);
bool chipDefinitionExists(const std::string& programDir, LanguageId language, const std::string& model);

// Applies the definition of ctx.model to the working state: fills `info` and the image's
// chip-dependent fields; with `reset` returns the image to the chip's defaults (blank or
// kept-and-adapted code, option words, calibration switches, open/short, rolling code,
// protection data). Views are the caller's to refresh after a true result.
// False, with a message box and nothing changed, when the definition is missing or gives
// a program size above 32,768 words. Calibration entries beyond 8 and counts beyond the
// read limits are ignored with a log line.
bool LoadChipDefinition(const ChipContext& ctx, bool reset, ChipInfo& info, ProgramImage& image, Reporter& reporter);

// The variant the project-file reader uses after converting a file of the old layout
// (which already set CodeWords): false, without a message, when the definition is missing.
bool LoadChipDefinitionForOldFile(const ChipContext& ctx, ChipInfo& info, ProgramImage& image);
bool LoadChipDefinitionForOldFile(const ChipContext& ctx, ChipInfo& info, ProgramImage& image, Reporter& reporter);

}  // namespace kt90
