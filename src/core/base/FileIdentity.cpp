#include "core/base/FileIdentity.h"

#include <system_error>

namespace kt90 {
namespace {

// A path that does not exist, with every link on the way followed, a dangling one too.
std::filesystem::path resolved(std::filesystem::path path) {
  std::error_code error;
  path = std::filesystem::absolute(path, error);
  // A loop of links stops somewhere; the comparison then is by the text reached.
  for (int hop = 0; hop < 40 && std::filesystem::is_symlink(path, error); ++hop) {
    const std::filesystem::path target = std::filesystem::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  return error ? path.lexically_normal() : canonical;
}

}  // namespace

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  const bool aExists = std::filesystem::exists(a, error);
  const bool bExists = std::filesystem::exists(b, error);
  if (aExists && bExists) return sameExistingFile(a, b);
  return aExists == bExists && resolved(a) == resolved(b);
}

}  // namespace kt90
