#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/Reporter.h"
#include "core/progfile/Records.h"
#include "core/text/Language.h"

namespace kt90 {

// The binding of a program file to programmer U_IDs (the KT_ID list) and the rules of
// its dialog.

// "%02X " twelve times: the dialog's text of one U_ID.
std::string uidToRowText(const ProgrammerUid& uid);

// The dialog's reading of one row on OK: all spaces removed, exactly 24 characters left,
// read as 12 pairs. A pair's value is that of its hexadecimal digits in front of the
// first other character (0 when the pair starts with one). Other rows give nothing.
std::optional<ProgrammerUid> uidFromRowText(std::string_view row);

// The dialog's rows for a list: one row per U_ID, then empty rows up to 100.
std::vector<std::string> rowsForUids(const std::vector<ProgrammerUid>& uids);

// OK of the dialog: the U_IDs of every row, in order; empty rows are skipped. A row that
// is not 24 hexadecimal digits (spaces aside), or more than 100 U_IDs, is refused with a
// message box naming it (nothing is dropped or cut short); the dialog then stays open.
std::optional<std::vector<ProgrammerUid>> uidsFromRows(const std::vector<std::string>& rows, LanguageId language,
                                                       Reporter& reporter);

// Opening the dialog with a programmer connected: its U_ID joins the list unless it is
// already there. A full list (100) keeps its content and says so in the log.
void addConnectedUid(std::vector<ProgrammerUid>& uids, const ProgrammerUid& connected, LanguageId language,
                     Reporter& reporter);

// The check before a download. An empty list admits any programmer. Otherwise each
// entry is logged ("%02d:" and " %02X" per byte) up to the first equal to `connected`;
// without a match message 44 is logged. When no U_ID of the connected programmer is
// known, a non-empty list never matches.
bool matchConnectedProgrammer(const std::vector<ProgrammerUid>& list, const std::optional<ProgrammerUid>& connected,
                              LanguageId language, Reporter& reporter);

}  // namespace kt90
