#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/app/ProfileStore.h"

namespace kt90 {

// The program files opened or saved last, newest first, kept in the profile as
// "RecentFile1" ... "RecentFile8" so they outlive the run.
class RecentFiles {
 public:
  static constexpr std::size_t kMaxEntries = 8;

  explicit RecentFiles(ProfileStore& profile);

  const std::vector<std::string>& paths() const { return paths_; }
  // To the front; a path already listed moves there, the oldest beyond the limit goes.
  void add(const std::string& path);
  // A file that is gone leaves the list.
  void remove(const std::string& path);

 private:
  void store();

  ProfileStore& profile_;
  std::vector<std::string> paths_;
};

}  // namespace kt90
