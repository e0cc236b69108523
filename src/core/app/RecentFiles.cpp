#include "core/app/RecentFiles.h"

#include <algorithm>

namespace kt90 {
namespace {

std::string key(std::size_t index) { return "RecentFile" + std::to_string(index + 1); }

}  // namespace

RecentFiles::RecentFiles(ProfileStore& profile) : profile_(profile) {
  for (std::size_t i = 0; i < kMaxEntries; ++i) {
    const std::string path = profile_.readString(key(i), "");
    // A hand-edited profile may leave gaps or repeats; the list keeps neither.
    if (!path.empty() && std::find(paths_.begin(), paths_.end(), path) == paths_.end()) paths_.push_back(path);
  }
}

void RecentFiles::add(const std::string& path) {
  if (path.empty()) return;
  std::erase(paths_, path);
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > kMaxEntries) paths_.resize(kMaxEntries);
  store();
}

void RecentFiles::remove(const std::string& path) {
  if (std::erase(paths_, path) > 0) store();
}

void RecentFiles::store() {
  for (std::size_t i = 0; i < kMaxEntries; ++i) profile_.writeString(key(i), i < paths_.size() ? paths_[i] : "");
}

}  // namespace kt90
