#include "core/journal/postgres/PostgresLocation.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstring>

namespace kt90::postgres {

namespace {

std::string passwordOf(const std::string& uri) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(uri.c_str(), &error);
  if (error) PQfreemem(error);
  std::string password;
  for (PQconninfoOption* o = options; o && o->keyword; ++o) {
    if (std::strcmp(o->keyword, "password") == 0 && o->val) password = o->val;
  }
  if (options) PQconninfoFree(options);
  return password;
}

}  // namespace

std::string withoutPassword(const std::string& uri) {
  std::string out = uri;
  const std::size_t authority = out.find("://");
  if (authority != std::string::npos) {
    const std::size_t begin = authority + 3;
    const std::size_t end = out.find_first_of("/?", begin);
    const std::size_t at = out.rfind('@', end == std::string::npos ? out.size() : end);
    if (at != std::string::npos && at >= begin) {
      const std::size_t colon = out.find(':', begin);
      if (colon != std::string::npos && colon < at) out.erase(colon, at - colon);
    }
  }
  // A password=… parameter, wherever it stands among the others.
  const std::size_t question = out.find('?');
  if (question == std::string::npos) return out;
  std::string kept;
  std::size_t begin = question + 1;
  while (begin <= out.size()) {
    const std::size_t end = std::min(out.find('&', begin), out.size());
    const std::string parameter = out.substr(begin, end - begin);
    if (!parameter.empty() && parameter.rfind("password=", 0) != 0) kept += (kept.empty() ? "" : "&") + parameter;
    begin = end + 1;
  }
  out.erase(question);
  if (!kept.empty()) out += "?" + kept;
  return out;
}

std::string maskPassword(const std::string& text, const std::string& uri) {
  const std::string password = passwordOf(uri);
  if (password.empty()) return text;
  std::string out = text;
  for (std::size_t at = out.find(password); at != std::string::npos; at = out.find(password, at + 3)) {
    out.replace(at, password.size(), "***");
  }
  return out;
}

}  // namespace kt90::postgres
