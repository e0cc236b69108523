#include "core/app/CodeDump.h"

#include <algorithm>

namespace kt90 {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void appendHex4(std::string& out, unsigned value) {
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(value >> shift) & 0xF]);
}

std::string dump(ByteView code, std::size_t codeWords, bool masked) {
  codeWords = std::min(codeWords, code.size() / 2);
  std::string out;
  out.reserve(codeWords * 5 + codeWords / 8 * 9);
  for (std::size_t n = 0; n < codeWords; ++n) {
    if (n % 8 == 0) {
      if (n > 0) out += "\r\n";
      out.push_back('\t');
      appendHex4(out, static_cast<unsigned>(n));
      out += ": ";
    }
    if (masked) {
      out += "**** ";
    } else {
      appendHex4(out, readU16(&code[2 * n]));
      out.push_back(' ');
    }
  }
  return out;
}

}  // namespace

std::string codeDumpText(ByteView code, std::size_t codeWords) { return dump(code, codeWords, false); }

std::string maskedCodeDumpText(ByteView code, std::size_t codeWords) { return dump(code, codeWords, true); }

}  // namespace kt90
