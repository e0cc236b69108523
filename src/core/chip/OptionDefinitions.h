#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/chip/CIniFile.h"
#include "core/chip/IniSnapshot.h"
#include "core/progfile/ProgramImage.h"

namespace kt90 {

// How much of the "OTPOption" section is read. Only 16 option addresses exist and the
// OPTION editor shows at most 60 rows, so 64 words of 64 items each is far more than any
// real definition holds; the limits keep a damaged count (OptionWords=0x7FFFFFFF) from
// turning one load into billions of look-ups.
inline constexpr std::int32_t kMaxOptionWordsRead = 64;
inline constexpr std::int32_t kMaxItemsPerWordRead = 64;

inline constexpr std::int32_t kItemTypeRule = 2;
inline constexpr std::int32_t kItemTypeCalibration = 3;

// What a pass over "OTPOption" had to leave out; the caller logs it.
struct OptionLoadReport {
  int calibrationEntriesIgnored = 0;  // type-3 items beyond the 8 the records hold
  bool countsCut = false;             // OptionWords or an OptItems count beyond the limits above
};

// Visits option word i = 0 .. OptionWords-1 (onWord) and then its item sections
// "OTPOption<i>_Item<j>" (onItem), in definition order, within the limits above.
// Returns true when a count had to be cut.
bool walkOptionItems(const IniSnapshot& ini, const std::function<void(int word)>& onWord,
                     const std::function<void(const std::string& section)>& onItem);

// A calibration entry's item section (ItemType 3) as the definition gives it.
struct CalibrationItem {
  std::int32_t type = 0;  // 0..3; anything else leaves the type bits alone
  bool at3V = false;      // CalibreVoltage
  bool enable = false;    // CalibreEnable
  CalibrateInfo entry;    // name and the seven parameters; `offered` is the caller's
};
CalibrationItem readCalibrationItem(const IniSnapshot& ini, const std::string& section);

// The pass over "OTPOption": with reset, the option mask and the initial option words
// (from a reset image's blank words) and the calibration switches; always the calibration
// entries, their count, offered flags and type bits. `blankWord` is the default of
// "OptInitVal%d".
OptionLoadReport LoadOptionDefinitions(const IniSnapshot& ini, bool reset, std::uint16_t blankWord,
                                       ProgramImage& image);
// The same for a definition named by `ini`, read once; the blank word follows its
// ROM/BitWidth.
OptionLoadReport LoadOptionDefinitions(const CIniFile& ini, bool reset, ProgramImage& image);

}  // namespace kt90
