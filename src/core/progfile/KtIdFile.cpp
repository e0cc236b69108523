#include "core/progfile/KtIdFile.h"

#include <string_view>

#include "core/base/Encoding.h"

namespace kt90 {

std::vector<std::string> ktIdRowsFromFile(ByteView file) {
  const std::string text = decodeTextFile(file);
  std::vector<std::string> rows;
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    rows.emplace_back(line);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  if (rows.size() < kKtIdDialogRows) rows.resize(kKtIdDialogRows);
  return rows;
}

Bytes ktIdFileFromRows(const std::vector<std::string>& rows) {
  Bytes out;
  for (const std::string& row : rows) {
    const std::string ansi = utf8ToAnsi(row);
    out.insert(out.end(), ansi.begin(), ansi.end());
    out.push_back('\r');
    out.push_back('\n');
  }
  return out;
}

}  // namespace kt90
