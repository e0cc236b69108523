#include "core/chip/CIniFile.h"

#include "core/base/Encoding.h"
#include "core/base/FileIo.h"
#include "core/chip/IniDocument.h"
#include "core/chip/IniKeyWriter.h"
#include "core/text/Format.h"

namespace kt90 {
namespace {

std::optional<std::string> readValue(const std::string& path, std::string_view section, std::string_view key) {
  const FileRead file = readFileBounded(pathFromUtf8(path), CIniFile::kMaxFileBytes);
  if (!file.ok()) return std::nullopt;
  return IniDocument(decodeTextFile(file.bytes)).value(section, key);
}

}  // namespace

std::int32_t CIniFile::ReadInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
  const auto value = readValue(path_, section, key);
  return value ? parseProfileInt(*value) : defaultValue;
}

std::string CIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  const auto value = readValue(path_, section, key);
  return cutToUtf16Units(value ? *value : std::string(defaultValue), kMaxStringUnits);
}

bool CIniFile::WriteCloseUpdate(int value) const {
  return writeIniKey(pathFromUtf8(path_), "Settings", "CloseUpdata", std::to_string(value));
}

}  // namespace kt90
