#include "core/base/Gb18030.h"

#include <iconv.h>

#include <cerrno>

// The C library's iconv carries the GB18030 tables (glibc on Linux, libiconv elsewhere).
namespace kt90 {
namespace {

std::string convert(const char* to, const char* from, std::string_view input, std::string_view replacement,
                    std::size_t skipOnError, std::size_t* errors = nullptr) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string out;
  char buffer[1024];
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // Invalid or truncated sequence: replace it and go on.
      if (errors) ++*errors;
      out.append(replacement);
      const std::size_t skip = skipOnError < inLeft ? skipOnError : inLeft;
      in += skip;
      inLeft -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string gb18030ToUtf8(std::string_view gb) { return convert("UTF-8", "GB18030", gb, "\xEF\xBF\xBD", 1); }

std::string utf8ToGb18030(std::string_view utf8) { return convert("GB18030", "UTF-8", utf8, "?", 1); }

bool isValidGb18030(std::string_view gb) {
  std::size_t errors = 0;
  convert("UTF-8", "GB18030", gb, {}, 1, &errors);
  return errors == 0;
}

}  // namespace kt90
