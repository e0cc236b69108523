#pragma once
#include <optional>
#include <string>

namespace kt90 {

// How a firmware image's version stands to the programmer's. Version texts name a family
// and a number ("KT90 V5.2", "KT90DB V5.2", "KT90PRO V1"); the number after the last "V"
// decides, part by part, a missing part counting as 0 (V5 is V5.0). A text without such a
// number cannot be compared.
enum class FirmwareStep { Upgrade, Same, Downgrade, Unknown };

FirmwareStep compareFirmwareVersions(const std::optional<std::string>& programmer,
                                     const std::optional<std::string>& image);

}  // namespace kt90
