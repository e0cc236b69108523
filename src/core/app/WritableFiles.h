#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/Language.h"

namespace kt90 {

// The few files the program writes beside its data (KT_ID.TXT, HwTest.ini, "CloseUpdata"
// of the settings file) belong in the program directory. An installed program directory
// is not writable for the user, so there they live in the user's data folder instead,
// under the same relative name.
class WritableFiles {
 public:
  // `userDir` empty: there is no user folder and everything stays in the program directory.
  // `programDirWritable` settles the question instead of a probe (tests run as root, who
  // may write anywhere).
  WritableFiles(std::string programDir, std::string userDir, std::optional<bool> programDirWritable = std::nullopt);
  // The user folder of this process's environment (see userDataDir).
  static WritableFiles forProgramDir(const std::string& programDir);

  // The file to read: the program directory's while that directory is writable (or does
  // not exist); else the user's copy when there is one, else the program directory's (a
  // shipped default).
  std::filesystem::path readPath(std::string_view name) const;
  // The file to write: the program directory's while it is writable, else the user's
  // (whose folders are made on the way).
  std::filesystem::path writePath(std::string_view name) const;
  // Whether `path` (from readPath/writePath) is in the user folder.
  bool inUserDir(const std::filesystem::path& path) const;

  // A log line saying where `path` is when it is the user's copy; "" otherwise.
  std::string whereLine(const std::filesystem::path& path, LanguageId language) const;

  const std::string& programDir() const { return programDir_; }
  const std::string& userDir() const { return userDir_; }
  // Whether files move to the user folder: it is known and the program directory exists
  // but is not writable.
  bool usesUserDir() const;

 private:
  std::filesystem::path programPath(std::string_view name) const;
  std::filesystem::path userPath(std::string_view name) const;

  std::string programDir_;
  std::string userDir_;
  mutable std::optional<bool> useUserDir_;  // probed once, on first need
};

// The environment values the user folder is made of.
struct UserEnvironment {
  std::string xdgDataHome;  // $XDG_DATA_HOME
  std::string home;         // $HOME
  std::string appData;      // %APPDATA%
  bool windows = false;
};

// %APPDATA%\kt90 on Windows; elsewhere $XDG_DATA_HOME/kt90 (only an absolute one counts),
// else ~/.local/share/kt90. "" when the environment names no such folder.
std::string userDataDir(const UserEnvironment& environment);
UserEnvironment currentUserEnvironment();

// Whether a new file can be made in `dir` (probed by making and removing one).
bool directoryWritable(const std::filesystem::path& dir);

}  // namespace kt90
