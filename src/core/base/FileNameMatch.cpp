#include "core/base/FileNameMatch.h"

#include <system_error>

#include "core/base/FileIo.h"

namespace kt90 {
namespace {

bool equalNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::filesystem::path findFileNoCase(const std::filesystem::path& folder, const std::string& name) {
  const std::filesystem::path exact = folder / pathFromUtf8(name);
  std::error_code ec;
  if (std::filesystem::exists(exact, ec)) return exact;
  std::filesystem::directory_iterator it(folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (equalNoCase(pathToUtf8(it->path().filename()), name)) return it->path();
  }
  return exact;
}

}  // namespace kt90
