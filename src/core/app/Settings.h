#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "core/app/WritableFiles.h"
#include "core/base/ProgramVersion.h"

namespace kt90 {

// The installation's settings file DLL/set.dll below the program directory, section
// "Settings". Every key has a default, so a missing file reads as all defaults.
struct Settings {
  std::string windowText;         // "WndTxt"
  std::string version = kProgramVersion;  // ours; a "Version" key in the file is not read
  bool updateCheckOff = true;     // "CloseUpdata" != 0 (default 1)
  int checkVersion = 0;           // "CheckVersion"
  std::string checkUrl;           // "CK_URL"
  std::string downloadUrl;        // "DL_URL"
  int versionLength = 8;          // "VersionLength"
  std::string supportedFirmware;  // "FmVer"
};

inline constexpr const char* kSettingsFileName = "DLL/set.dll";

std::string settingsPath(const std::string& programDir);
// "CloseUpdata" comes from the user's copy of the settings file when the program
// directory is not writable and the user has one (see WritableFiles); every other key is
// the installation's.
Settings readSettings(const std::string& programDir);
Settings readSettings(const WritableFiles& files);

// "Close Updata": writes "CloseUpdata" (1 off, 0 on) into the settings file, or into the
// user's copy when the program directory is not writable. The file written, or nullopt.
std::optional<std::filesystem::path> writeCloseUpdata(const WritableFiles& files, bool updateCheckOff);

// The window title: WndTxt + " V" + the program's version.
std::string windowTitle(const Settings& settings);

}  // namespace kt90
