#include "core/chip/IniSnapshot.h"

#include "core/base/Encoding.h"
#include "core/base/FileIo.h"
#include "core/text/Format.h"

namespace kt90 {

IniSnapshot::IniSnapshot(const std::string& path) {
  if (path.empty()) return;
  const FileRead file = readFileBounded(pathFromUtf8(path), CIniFile::kMaxFileBytes);
  problem_ = file.problem;
  if (!file.ok()) return;
  document_ = IniDocument(decodeTextFile(file.bytes));
  loaded_ = true;
}

std::int32_t IniSnapshot::ReadInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
  const auto value = document_.value(section, key);
  return value ? parseProfileInt(*value) : defaultValue;
}

std::string IniSnapshot::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
  const auto value = document_.value(section, key);
  return cutToUtf16Units(value ? *value : std::string(defaultValue), CIniFile::kMaxStringUnits);
}

}  // namespace kt90
