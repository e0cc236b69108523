#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/FileIo.h"
#include "core/chip/CIniFile.h"
#include "core/chip/IniDocument.h"

namespace kt90 {

// One INI file read once and then looked up key by key with CIniFile's rules (defaults for
// anything missing, strings cut to 1,023 UTF-16 units). The chip loader reads hundreds of
// keys of one definition; reading the file once also means they all come from one version
// of it.
class IniSnapshot {
 public:
  explicit IniSnapshot(const std::string& path);
  explicit IniSnapshot(const CIniFile& ini) : IniSnapshot(ini.path()) {}

  // False when the file could not be read; every read then gives its default.
  bool loaded() const { return loaded_; }
  // Why it was not read (None for an empty path).
  ReadProblem problem() const { return problem_; }

  std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;

 private:
  IniDocument document_;
  bool loaded_ = false;
  ReadProblem problem_ = ReadProblem::None;
};

}  // namespace kt90
