#include "core/app/Settings.h"

#include "core/base/FileIo.h"
#include "core/chip/CIniFile.h"
#include "core/chip/IniSnapshot.h"
#include "core/text/Format.h"

namespace kt90 {
namespace {

constexpr const char* kSection = "Settings";
// The shorter keys were read into 260-unit buffers.
constexpr std::size_t kShortStringUnits = 259;

std::string readShort(const IniSnapshot& ini, const char* key) {
  return cutToUtf16Units(ini.ReadString(kSection, key), kShortStringUnits);
}

}  // namespace

std::string settingsPath(const std::string& programDir) { return programDir + "/" + kSettingsFileName; }

Settings readSettings(const std::string& programDir) { return readSettings(WritableFiles::forProgramDir(programDir)); }

Settings readSettings(const WritableFiles& files) {
  // Read once: the file is bounded, but nine keys need not read it nine times.
  const IniSnapshot ini(settingsPath(files.programDir()));
  Settings s;
  s.windowText = readShort(ini, "WndTxt");
  const int closeUpdata = ini.ReadInt(kSection, "CloseUpdata", 1);
  s.updateCheckOff =
      CIniFile(pathToUtf8(files.readPath(kSettingsFileName))).ReadInt(kSection, "CloseUpdata", closeUpdata) != 0;
  s.checkVersion = ini.ReadInt(kSection, "CheckVersion", 0);
  s.checkUrl = readShort(ini, "CK_URL");
  s.downloadUrl = readShort(ini, "DL_URL");
  s.versionLength = ini.ReadInt(kSection, "VersionLength", 8);
  s.supportedFirmware = ini.ReadString(kSection, "FmVer");
  return s;
}

std::optional<std::filesystem::path> writeCloseUpdata(const WritableFiles& files, bool updateCheckOff) {
  const std::filesystem::path path = files.writePath(kSettingsFileName);
  if (!CIniFile(pathToUtf8(path)).WriteCloseUpdate(updateCheckOff ? 1 : 0)) return std::nullopt;
  return path;
}

std::string windowTitle(const Settings& settings) { return settings.windowText + " V" + settings.version; }

}  // namespace kt90
