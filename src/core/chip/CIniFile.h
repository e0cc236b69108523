#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace kt90 {

// Names one INI file (the settings file, a chip definition) and reads it with the rules
// of the Windows private-profile functions; see IniDocument. Reads never fail: a missing
// file, section or key gives the default. A value type: it keeps no file open and
// re-reads the file on each call.
class CIniFile {
 public:
  static constexpr std::size_t kMaxStringUnits = 1023;
  // Chip definitions are a few KiB; a bigger file, or one that is no regular file, reads
  // as missing.
  static constexpr std::uintmax_t kMaxFileBytes = 1u << 20;

  CIniFile() = default;
  explicit CIniFile(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }

  // Decimal, or hexadecimal with "0x"; callers narrow to their field width.
  std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
  // At most 1,023 UTF-16 units, as the original 1,024-unit buffer held; longer values are cut.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;

  // Writes "CloseUpdata" in section "Settings", keeping every other byte of the file as
  // it was (encoding and line ends included). False when the file cannot be written.
  bool WriteCloseUpdate(int value) const;

 private:
  std::string path_;
};

}  // namespace kt90
