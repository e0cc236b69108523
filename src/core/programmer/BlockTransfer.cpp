#include "core/programmer/BlockTransfer.h"

#include <algorithm>

#include "core/programmer/StorageMap.h"

namespace kt90 {

namespace {

constexpr std::uint32_t kPiece = storage::kBlockSize;

std::uint32_t pieceLength(std::size_t total, std::uint32_t k) {
  return static_cast<std::uint32_t>(std::min<std::size_t>(kPiece, total - std::size_t{k} * kPiece));
}

// A cancel request stops the operation before its next write, never inside one.
bool writePiece(OperationRun& run, const std::uint8_t* data, std::uint32_t address, std::uint32_t length) {
  if (run.cancelRequested()) {
    run.log(TextId::DownloadCancelled);
    return false;
  }
  if (run.driver.WriteData(data, address, length) == length) return true;
  run.log(TextId::WriteFailure, address, length);
  return false;
}

bool readPiece(OperationRun& run, std::uint8_t* into, std::uint32_t address, std::uint32_t length) {
  if (run.driver.ReadData(into, address, length) == length) return true;
  run.log(TextId::ReadFailure, address, length);
  return false;
}

bool compare(OperationRun& run, ByteView written, ByteView read, std::uint32_t address) {
  const auto [w, r] = std::mismatch(written.begin(), written.end(), read.begin());
  if (w == written.end()) return true;
  const auto index = static_cast<std::uint32_t>(w - written.begin());
  run.log(TextId::CheckFailure, address + index, static_cast<unsigned>(*r));
  return false;
}

}  // namespace

std::uint32_t pieceCount(std::size_t length) { return static_cast<std::uint32_t>((length + kPiece - 1) / kPiece); }

bool writeRegion(OperationRun& run, ByteView data, std::uint32_t address) {
  const std::uint32_t pieces = pieceCount(data.size());
  for (std::uint32_t k = 0; k < pieces; ++k) {
    if (!writePiece(run, data.data() + k * kPiece, address + k * kPiece, pieceLength(data.size(), k))) return false;
  }
  return true;
}

bool readRegion(OperationRun& run, std::span<std::uint8_t> into, std::uint32_t address) {
  const std::uint32_t pieces = pieceCount(into.size());
  for (std::uint32_t k = 0; k < pieces; ++k) {
    if (!readPiece(run, into.data() + k * kPiece, address + k * kPiece, pieceLength(into.size(), k))) return false;
  }
  return true;
}

bool transferVerified(OperationRun& run, ByteView data, std::uint32_t address) {
  if (!writeRegion(run, data, address)) return false;
  Bytes back(data.size(), 0);
  if (!readRegion(run, back, address)) return false;
  return compare(run, data, back, address);
}

bool transferU16Verified(OperationRun& run, std::uint16_t value, std::uint32_t address) {
  std::uint8_t bytes[2];
  writeU16(bytes, value);
  if (!writeRegion(run, bytes, address)) return false;
  std::uint8_t back[2] = {0, 0};
  if (!readRegion(run, back, address)) return false;
  const std::uint16_t read = readU16(back);
  if (read == value) return true;
  run.log(TextId::CheckFailureWord, address, static_cast<unsigned>(read));
  return false;
}

bool transferAreaVerified(OperationRun& run, ByteView data, std::uint32_t address, std::uint32_t firstStep) {
  const std::uint32_t pieces = pieceCount(data.size());
  for (std::uint32_t k = 0; k < pieces; ++k) {
    if (!writePiece(run, data.data() + k * kPiece, address + k * kPiece, pieceLength(data.size(), k))) return false;
    run.progress(firstStep + k + 1);
  }
  Bytes back(data.size(), 0);
  for (std::uint32_t k = 0; k < pieces; ++k) {
    if (!readPiece(run, back.data() + k * kPiece, address + k * kPiece, pieceLength(data.size(), k))) return false;
    run.progress(firstStep + pieces + k + 1);
  }
  return compare(run, data, back, address);
}

}  // namespace kt90
