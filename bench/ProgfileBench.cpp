// Opening and saving a full project file, and HEX of a whole 64 KiB code buffer.
#include <benchmark/benchmark.h>

#include "core/progfile/HexFile.h"
#include "core/progfile/ProjectFile.h"

namespace kt90 {
namespace {

class NullReporter : public Reporter {
 public:
  void log(const std::string&) override {}
  void alert(const std::string&) override {}
};

std::uint32_t nextRandom() {
  static std::uint32_t n = 1;
  return n = n * 1664525u + 1013904223u;
}

// An 8K-word program with every block: calibration, rolling code, protection data.
ProgramImage fullProject(std::uint32_t limit) {
  ProgramImage image;
  image.head.setFlags(0xE3);
  image.head.setVersion(0x20);
  image.head.setCodeWords(8192);
  image.head.setProgramLimit(limit);
  for (std::size_t n = 0; n < 8192; ++n) image.setWord(n, static_cast<std::uint16_t>(nextRandom() & 0x3FFF));
  image.calibration = CaliBrate{8, 0xFF, 0x0F, 0};
  image.rolCode.bytes[0] = 3;
  image.config.bytes[10] = 0x10;
  if (limit != 0) {
    image.protection.filePassword = {1, 2, 3, 4};
    image.protection.uids.assign(100, ProgrammerUid{});
  }
  return image;
}

ProgramImage resetFor8K() {
  ProgramImage image;
  image.head.setCodeWords(8192);
  image.fillCode(0x3FFF);
  return image;
}

void openProject(benchmark::State& state, std::uint32_t limit) {
  ProgramImage source = fullProject(limit);
  const Bytes file = writeProjectFile(source, nextRandom);
  NullReporter reporter;
  for (auto _ : state) {
    ProgramImage image = resetFor8K();
    const auto payload = unscrambleProject(file, kEnglish, reporter);
    const bool ok = payload && readProject(*payload, image, kEnglish, reporter).ok;
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("project file did not read back");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void saveProject(benchmark::State& state, std::uint32_t limit) {
  ProgramImage image = fullProject(limit);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const Bytes file = writeProjectFile(image, nextRandom);
    bytes = file.size();
    benchmark::DoNotOptimize(file.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_OpenPlainProject8K(benchmark::State& state) { openProject(state, 0); }
void BM_OpenScrambledProject8K(benchmark::State& state) { openProject(state, 1000); }
void BM_SavePlainProject8K(benchmark::State& state) { saveProject(state, 0); }
void BM_SaveScrambledProject8K(benchmark::State& state) { saveProject(state, 1000); }

// 32768 words, no blank block: every record is written and read.
ProgramImage fullCode() {
  ProgramImage image;
  image.head.setCodeWords(0x8000);
  for (std::size_t n = 0; n < ProgramImage::kMaxCodeWords; ++n) {
    image.setWord(n, static_cast<std::uint16_t>(n & 0x3FFE));
  }
  return image;
}

void BM_WriteHex64K(benchmark::State& state) {
  const ProgramImage image = fullCode();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const Bytes text = writeHex(image.code(), ProgramImage::kMaxCodeWords, 0x3FFF);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ProgramImage::kCodeBytes));
  state.counters["hex_bytes"] = static_cast<double>(bytes);
}

void BM_ReadHex64K(benchmark::State& state) {
  const ProgramImage source = fullCode();
  const Bytes text = writeHex(source.code(), ProgramImage::kMaxCodeWords, 0x3FFF);
  ProgramImage image = fullCode();
  NullReporter reporter;
  for (auto _ : state) {
    const bool ok = readHex(text, image, 0x3FFF, kEnglish, reporter);
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("HEX did not read back");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ProgramImage::kCodeBytes));
}

BENCHMARK(BM_OpenPlainProject8K);
BENCHMARK(BM_OpenScrambledProject8K);
BENCHMARK(BM_SavePlainProject8K);
BENCHMARK(BM_SaveScrambledProject8K);
BENCHMARK(BM_WriteHex64K);
BENCHMARK(BM_ReadHex64K);

}  // namespace
}  // namespace kt90
