#include "core/progfile/UidBinding.h"

#include <algorithm>

#include "core/text/Format.h"
#include "core/text/HexDigit.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

constexpr std::size_t kUidChars = 24;

// The row as the dialog's UTF-16 units would count it. Only hexadecimal digits matter
// for the value, so every other character is kept as a placeholder unit (two for a
// character outside the basic plane).
std::u32string unitsWithoutSpaces(std::string_view utf8) {
  std::u32string units;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t len = 1;
    if (lead >= 0xF0)
      len = 4;
    else if (lead >= 0xE0)
      len = 3;
    else if (lead >= 0xC0)
      len = 2;
    if (lead < 0x80) {
      if (lead != ' ') units.push_back(lead);
    } else {
      units.append(len == 4 ? 2 : 1, U'?');
    }
    i += len;
  }
  return units;
}

}  // namespace

std::string uidToRowText(const ProgrammerUid& uid) {
  std::string row;
  for (std::uint8_t b : uid) row += formatText("%02X ", b);
  return row;
}

std::optional<ProgrammerUid> uidFromRowText(std::string_view row) {
  const std::u32string units = unitsWithoutSpaces(row);
  if (units.size() != kUidChars) return std::nullopt;
  ProgrammerUid uid{};
  for (std::size_t k = 0; k < uid.size(); ++k) {
    const int high = hexDigitValue(units[2 * k]);
    const int low = hexDigitValue(units[2 * k + 1]);
    if (high < 0)
      uid[k] = 0;
    else if (low < 0)
      uid[k] = static_cast<std::uint8_t>(high);
    else
      uid[k] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return uid;
}

std::vector<std::string> rowsForUids(const std::vector<ProgrammerUid>& uids) {
  std::vector<std::string> rows;
  for (const ProgrammerUid& uid : uids) rows.push_back(uidToRowText(uid));
  if (rows.size() < Protection::kMaxUids) rows.resize(Protection::kMaxUids);
  return rows;
}

std::optional<std::vector<ProgrammerUid>> uidsFromRows(const std::vector<std::string>& rows, LanguageId language,
                                                       Reporter& reporter) {
  std::vector<ProgrammerUid> uids;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::u32string units = unitsWithoutSpaces(rows[r]);
    if (units.empty()) continue;
    // A row that is no U_ID is named, never dropped: the user fixes it or empties it.
    const bool hex = std::all_of(units.begin(), units.end(), [](char32_t c) { return hexDigitValue(c) >= 0; });
    if (units.size() != kUidChars || !hex) {
      reporter.alert(formatText(text(TextId::UidRowInvalid, language), static_cast<unsigned>(r + 1), rows[r].c_str()));
      return std::nullopt;
    }
    uids.push_back(*uidFromRowText(rows[r]));
  }
  if (uids.size() > Protection::kMaxUids) {
    reporter.alert(formatText(text(TextId::UidListTooLong, language), static_cast<unsigned>(uids.size())));
    return std::nullopt;
  }
  return uids;
}

void addConnectedUid(std::vector<ProgrammerUid>& uids, const ProgrammerUid& connected, LanguageId language,
                     Reporter& reporter) {
  if (std::find(uids.begin(), uids.end(), connected) != uids.end()) return;
  if (uids.size() >= Protection::kMaxUids) {
    reporter.log(text(TextId::UidListFull, language));
    return;
  }
  uids.push_back(connected);
}

bool matchConnectedProgrammer(const std::vector<ProgrammerUid>& list, const std::optional<ProgrammerUid>& connected,
                              LanguageId language, Reporter& reporter) {
  if (list.empty()) return true;
  for (std::size_t k = 0; k < list.size(); ++k) {
    std::string line = formatText("%02u:", static_cast<unsigned>(k));
    for (std::uint8_t b : list[k]) line += formatText(" %02X", b);
    reporter.log(line + "\r\n");
    if (connected && list[k] == *connected) return true;
  }
  reporter.log(text(TextId::ProgrammerNotBound, language));
  return false;
}

}  // namespace kt90
