#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/base/Bytes.h"

namespace kt90 {

// "KT_ID.TXT": one line per row of the U_ID binding dialog, ANSI text, CR LF line ends.

// Rows the dialog always shows.
inline constexpr std::size_t kKtIdDialogRows = 100;

// Every line of the file (ANSI, GB18030 or UTF-8 tolerated), unchanged but for its line
// end, then empty rows up to 100. A file of more than 100 lines keeps all its lines: the
// dialog shows them, and the U_ID list built from them refuses more than 100 U_IDs
// (uidsFromRows) instead of dropping the rest.
std::vector<std::string> ktIdRowsFromFile(ByteView file);

// Each row (UTF-8) in ANSI followed by CR LF.
Bytes ktIdFileFromRows(const std::vector<std::string>& rows);

}  // namespace kt90
