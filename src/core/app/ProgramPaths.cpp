#include "core/app/ProgramPaths.h"

#include <algorithm>

namespace kt90 {
namespace {

std::size_t nameStart(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? 0 : slash + 1;
}

// Position of the extension's dot in the file name, npos when there is none.
std::size_t extensionDot(const std::string& path) {
  const std::size_t start = nameStart(path);
  const std::size_t dot = path.rfind('.');
  return (dot == std::string::npos || dot < start) ? std::string::npos : dot;
}

const char* extensionOf(SaveType type) {
  switch (type) {
    case SaveType::Hex: return "hex";
    case SaveType::Bin: return "bin";
    case SaveType::Project: break;
  }
  return "vk";
}

}  // namespace

std::string fileExtension(const std::string& path) {
  const std::size_t dot = extensionDot(path);
  if (dot == std::string::npos) return {};
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  return ext;
}

std::string projectPathFor(const std::string& path) {
  if (path.empty()) return {};
  const std::string ext = fileExtension(path);
  if (ext == "vk" || ext == "hex" || ext == "bin" || ext == "pro") return path.substr(0, extensionDot(path)) + ".vk";
  return path + ".vk";
}

std::string savePathFor(const std::string& path, SaveType type) {
  const char* wanted = extensionOf(type);
  if (fileExtension(path) == wanted) return path;
  return path + "." + wanted;
}

bool saveTypeFromExtension(const std::string& path, SaveType& type) {
  const std::string ext = fileExtension(path);
  if (ext == "vk") type = SaveType::Project;
  else if (ext == "hex") type = SaveType::Hex;
  else if (ext == "bin") type = SaveType::Bin;
  else return false;
  return true;
}

}  // namespace kt90
