#include "core/base/FileIo.h"

#include <fstream>
#include <system_error>

namespace kt90 {

ReadProblem regularFileProblem(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) {
    return status.type() == std::filesystem::file_type::not_found || error == std::errc::no_such_file_or_directory
               ? ReadProblem::Missing
               : ReadProblem::Unreadable;
  }
  return std::filesystem::is_regular_file(status) ? ReadProblem::None : ReadProblem::NotRegular;
}

FileRead readFileHead(const std::filesystem::path& path, std::size_t count) {
  FileRead result;
  result.problem = regularFileProblem(path);
  if (!result.ok()) return result;
  std::ifstream in(path, std::ios::binary);
  result.bytes.resize(count);
  if (in) in.read(reinterpret_cast<char*>(result.bytes.data()), static_cast<std::streamsize>(count));
  if (!in && !in.eof()) {
    result.bytes.clear();
    result.problem = ReadProblem::Unreadable;
    return result;
  }
  result.bytes.resize(static_cast<std::size_t>(in.gcount()));
  return result;
}

FileRead readFileBounded(const std::filesystem::path& path, std::uintmax_t maxBytes) {
  FileRead result;
  result.problem = regularFileProblem(path);
  if (!result.ok()) return result;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > maxBytes) {
    result.problem = ReadProblem::TooLarge;
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.problem = ReadProblem::Unreadable;
    return result;
  }
  char chunk[65536];
  while (in) {
    in.read(chunk, sizeof chunk);
    result.bytes.insert(result.bytes.end(), chunk, chunk + in.gcount());
    // The file may have grown since its size was read.
    if (result.bytes.size() > maxBytes) {
      result.bytes.clear();
      result.problem = ReadProblem::TooLarge;
      return result;
    }
  }
  if (in.bad()) {
    result.bytes.clear();
    result.problem = ReadProblem::Unreadable;
  }
  return result;
}

std::string readProblemText(ReadProblem problem, std::uintmax_t maxBytes) {
  switch (problem) {
    case ReadProblem::None:
      return {};
    case ReadProblem::Missing:
      return "no such file";
    case ReadProblem::NotRegular:
      return "not a regular file";
    case ReadProblem::TooLarge:
      return "larger than " + std::to_string(maxBytes) + " bytes";
    case ReadProblem::Unreadable:
      return "cannot be read";
  }
  return {};
}

std::optional<Bytes> readWholeFile(const std::filesystem::path& path) {
  FileRead read = readFileBounded(path, kAnyFileLimit);
  if (!read.ok()) return std::nullopt;
  return std::move(read.bytes);
}

bool fileExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::filesystem::path pathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace kt90
