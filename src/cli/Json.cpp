#include "cli/Json.h"

#include <cstdio>

#include "core/base/Encoding.h"

namespace kt90 {

void printJson(const Json& object) {
  const std::string text = object.dump(-1, ' ', false, Json::error_handler_t::replace);
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

Json failureJson(const std::string& why) {
  Json object;
  object["ok"] = false;
  object["error"] = escapeInvalidUtf8(why);
  return object;
}

}  // namespace kt90
