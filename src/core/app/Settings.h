#pragma once
#include <string>

namespace kt90 {

// The installation's settings file DLL/set.dll below the program directory, section
// "Settings". Every key has a default, so a missing file reads as all defaults.
struct Settings {
  std::string windowText;         // "WndTxt"
  std::string version;            // "Version"
  bool updateCheckOff = true;     // "CloseUpdata" != 0 (default 1)
  int checkVersion = 0;           // "CheckVersion"
  std::string checkUrl;           // "CK_URL"
  std::string downloadUrl;        // "DL_URL"
  int versionLength = 8;          // "VersionLength"
  std::string supportedFirmware;  // "FmVer"
};

std::string settingsPath(const std::string& programDir);
Settings readSettings(const std::string& programDir);

// The window title: WndTxt + " V" + Version.
std::string windowTitle(const Settings& settings);

}  // namespace kt90
