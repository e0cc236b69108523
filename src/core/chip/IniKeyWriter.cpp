#include "core/base/AtomicWrite.h"
#include "core/chip/IniKeyWriter.h"

#include <vector>

#include "core/base/Encoding.h"
#include "core/base/FileIo.h"
#include "core/base/Gb18030.h"
#include "core/chip/CIniFile.h"

namespace kt90 {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Section name of a header line, or nullopt-like empty view with ok=false.
bool sectionName(std::string_view line, std::string_view& name) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return false;
  const std::size_t close = line.find(']');
  name = trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
  return true;
}

using FileEncoding = TextFileEncoding;

// The file is written back the way it was read.
FileEncoding detect(ByteView bytes) { return detectTextFileEncoding(bytes); }

Bytes utf8ToUtf16le(std::string_view text) {
  Bytes out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = lead;
    std::size_t len = 1;
    if (lead >= 0xF0) {
      cp = lead & 0x07;
      len = 4;
    } else if (lead >= 0xE0) {
      cp = lead & 0x0F;
      len = 3;
    } else if (lead >= 0xC0) {
      cp = lead & 0x1F;
      len = 2;
    }
    for (std::size_t k = 1; k < len && i + k < text.size(); ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      appendU16(out, static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
      appendU16(out, static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      appendU16(out, static_cast<std::uint16_t>(cp));
    }
  }
  return out;
}

Bytes encode(const std::string& text, FileEncoding encoding) {
  Bytes out;
  switch (encoding) {
    case FileEncoding::Utf16Le:
      out = {0xFF, 0xFE};
      appendBytes(out, utf8ToUtf16le(text));
      return out;
    case FileEncoding::Utf8Bom:
      out = {0xEF, 0xBB, 0xBF};
      break;
    case FileEncoding::Gb18030: {
      const std::string gb = utf8ToGb18030(text);
      return Bytes(gb.begin(), gb.end());
    }
    case FileEncoding::Utf8:
      break;
  }
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

}  // namespace

std::string setIniKey(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
  const std::string eol = text.find("\r\n") != std::string_view::npos || text.empty() ? "\r\n" : "\n";
  const std::string newLine = std::string(key) + "=" + std::string(value);

  // Split into lines, remembering each line's own ending.
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = text.find('\n', pos);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(pos, stop - pos));
    pos = stop;
  }

  bool inSection = false;
  bool seenSection = false;
  std::size_t insertAt = lines.size();  // after the last non-blank line of the section
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (sectionName(lines[i], name)) {
      if (inSection) break;  // only the first section of that name counts
      inSection = equalsNoCase(name, section);
      if (inSection) {
        seenSection = true;
        insertAt = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    const std::string_view body = trim(lines[i]);
    if (body.empty() || body.front() == ';') continue;
    insertAt = i + 1;
    const std::size_t eq = body.find('=');
    if (eq != std::string_view::npos && equalsNoCase(trim(body.substr(0, eq)), key)) {
      std::string out;
      for (std::size_t k = 0; k < lines.size(); ++k) {
        if (k == i) {
          const bool hadEnd = !lines[k].empty() && lines[k].back() == '\n';
          out +=
              newLine + (hadEnd ? (lines[k].size() >= 2 && lines[k][lines[k].size() - 2] == '\r' ? "\r\n" : "\n") : "");
        } else {
          out += lines[k];
        }
      }
      return out;
    }
  }

  std::string out;
  auto endsWithNewline = [](const std::string& s) { return s.empty() || s.back() == '\n'; };
  if (!seenSection) {
    out.assign(text);
    if (!endsWithNewline(out)) out += eol;
    out += "[" + std::string(section) + "]" + eol + newLine + eol;
    return out;
  }
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k == insertAt) {
      if (!endsWithNewline(out)) out += eol;
      out += newLine + eol;
    }
    out += lines[k];
  }
  if (insertAt >= lines.size()) {
    if (!endsWithNewline(out)) out += eol;
    out += newLine + eol;
  }
  return out;
}

bool writeIniKey(const std::filesystem::path& path, std::string_view section, std::string_view key,
                 std::string_view value) {
  const FileRead file = readFileBounded(path, CIniFile::kMaxFileBytes);
  if (!file.ok() && file.problem != ReadProblem::Missing) return false;
  const FileEncoding encoding = file.ok() ? detect(file.bytes) : FileEncoding::Utf8;
  const std::string text = file.ok() ? decodeTextFile(file.bytes) : std::string();
  const Bytes out = encode(setIniKey(text, section, key, value), encoding);
  return writeFileAtomically(path, out).ok();
}

}  // namespace kt90
