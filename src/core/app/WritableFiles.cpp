#include "core/app/WritableFiles.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <system_error>

#include "core/base/FileIo.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

#if defined(_WIN32)
constexpr bool kWindowsHost = true;
#else
constexpr bool kWindowsHost = false;
#endif

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// The XDG rule: only an absolute POSIX path counts.
bool isAbsolutePosix(const std::string& dir) { return !dir.empty() && dir.front() == '/'; }

}  // namespace

WritableFiles::WritableFiles(std::string programDir, std::string userDir, std::optional<bool> programDirWritable)
    : programDir_(std::move(programDir)), userDir_(std::move(userDir)) {
  if (programDirWritable) useUserDir_ = !userDir_.empty() && !*programDirWritable;
}

WritableFiles WritableFiles::forProgramDir(const std::string& programDir) {
  return WritableFiles(programDir, userDataDir(currentUserEnvironment()));
}

std::filesystem::path WritableFiles::programPath(std::string_view name) const {
  return pathFromUtf8(programDir_) / pathFromUtf8(std::string(name));
}

std::filesystem::path WritableFiles::userPath(std::string_view name) const {
  return pathFromUtf8(userDir_) / pathFromUtf8(std::string(name));
}

bool WritableFiles::usesUserDir() const {
  if (!useUserDir_) {
    // A program directory that does not exist is a mistake to show, not a reason to move.
    std::error_code error;
    const std::filesystem::path dir = pathFromUtf8(programDir_);
    useUserDir_ = !userDir_.empty() && std::filesystem::is_directory(dir, error) && !directoryWritable(dir);
  }
  return *useUserDir_;
}

std::filesystem::path WritableFiles::readPath(std::string_view name) const {
  if (userDir_.empty()) return programPath(name);
  // Probe only when a user copy could change the answer.
  const std::filesystem::path user = userPath(name);
  if (!fileExists(user) || !usesUserDir()) return programPath(name);
  return user;
}

std::filesystem::path WritableFiles::writePath(std::string_view name) const {
  if (!usesUserDir()) return programPath(name);
  const std::filesystem::path user = userPath(name);
  std::error_code error;
  std::filesystem::create_directories(user.parent_path(), error);
  return user;
}

bool WritableFiles::inUserDir(const std::filesystem::path& path) const {
  if (userDir_.empty()) return false;
  const std::string user = pathToUtf8(pathFromUtf8(userDir_).lexically_normal());
  const std::string candidate = pathToUtf8(path.lexically_normal());
  return candidate.size() > user.size() && candidate.compare(0, user.size(), user) == 0 &&
         (user.back() == '/' || candidate[user.size()] == '/' || candidate[user.size()] == '\\');
}

std::string WritableFiles::whereLine(const std::filesystem::path& path, LanguageId language) const {
  if (!inUserDir(path)) return {};
  return formatText(text(TextId::UserFolderFileUsed, language), pathToUtf8(path.filename()).c_str(),
                    pathToUtf8(path).c_str());
}

namespace {

// `base`/`tail` in the separator style of the platform described, whichever host asks.
std::string joinForPlatform(std::string base, const std::string& tail, bool windows) {
  const char separator = windows ? '\\' : '/';
  if (windows) std::replace(base.begin(), base.end(), '/', separator);
  if (base.back() != separator) base += separator;
  std::string rest = tail;
  std::replace(rest.begin(), rest.end(), '/', separator);
  return base + rest;
}

}  // namespace

std::string userDataDir(const UserEnvironment& environment) {
  if (environment.windows) {
    return environment.appData.empty() ? std::string() : joinForPlatform(environment.appData, "kt90", true);
  }
  if (isAbsolutePosix(environment.xdgDataHome)) return joinForPlatform(environment.xdgDataHome, "kt90", false);
  if (environment.home.empty()) return {};
  return joinForPlatform(environment.home, ".local/share/kt90", false);
}

UserEnvironment currentUserEnvironment() {
  return UserEnvironment{environmentValue("XDG_DATA_HOME"), environmentValue("HOME"), environmentValue("APPDATA"),
                         kWindowsHost};
}

bool directoryWritable(const std::filesystem::path& dir) {
  std::error_code error;
  if (!std::filesystem::is_directory(dir, error)) return false;
  std::random_device random;
  const std::filesystem::path probe = dir / (".kt90-write-probe-" + std::to_string(random()));
  bool made = false;
  {
    std::ofstream out(probe, std::ios::binary | std::ios::trunc);
    made = static_cast<bool>(out);
  }
  if (made) std::filesystem::remove(probe, error);
  return made;
}

}  // namespace kt90
