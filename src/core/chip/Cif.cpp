#include "core/chip/Cif.h"

#include <algorithm>
#include <fstream>

#include "core/base/FileIo.h"
#include "core/base/FileNameMatch.h"
#include "core/chip/ChipList.h"

namespace kt90 {

std::string cifPath(const std::string& programDir, const std::string& model) {
  if (!isPlainFileTitle(model)) return {};
  return pathToUtf8(findFileNoCase(findFileNoCase(pathFromUtf8(programDir), "CIF"), model + ".cif"));
}

std::optional<CifBlock> cifFromBytes(ByteView bytes) {
  if (bytes.size() < kCifSize) return std::nullopt;
  CifBlock block{};
  std::copy_n(bytes.begin(), kCifSize, block.begin());
  return block;
}

std::optional<CifBlock> LoadCif(const std::string& programDir, const std::string& model) {
  const std::string path = cifPath(programDir, model);
  if (path.empty()) return std::nullopt;
  std::ifstream in(pathFromUtf8(path), std::ios::binary);
  if (!in) return std::nullopt;
  Bytes buffer(kCifSize);
  in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(kCifSize));
  buffer.resize(static_cast<std::size_t>(in.gcount()));
  return cifFromBytes(buffer);
}

}  // namespace kt90
