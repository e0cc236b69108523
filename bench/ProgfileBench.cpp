// Opening and saving a full project file, HEX of a whole 64 KiB code buffer, and the
// hostile inputs whose work must stay linear: PRO entry floods, an INI file of many keys.
#include <benchmark/benchmark.h>

#include "core/chip/IniDocument.h"
#include "core/progfile/HexFile.h"
#include "core/progfile/ProFile.h"
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

// A PRO file of `count` entries of one type after a key entry, all naming one 64 KiB block.
Bytes proFlood(std::uint32_t type, std::uint32_t count) {
  const std::size_t tableEnd = 32 + 16 * (std::size_t{count} + 1);
  Bytes file = {'P', 'R', 'O'};
  file.resize(32, 0);
  writeU32(&file[28], count + 1);
  const auto keyAt = static_cast<std::uint32_t>(tableEnd);
  const auto blockAt = keyAt + 17;
  for (std::uint32_t v : {0x03000010u, 0u, keyAt, 1u}) appendU32(file, v);
  for (std::uint32_t k = 0; k < count; ++k) {
    for (std::uint32_t v : {type, 0u, blockAt, 65534u}) appendU32(file, v);
  }
  file.resize(keyAt + 12, 0);
  appendU32(file, 1);
  file.push_back(0x5A);
  for (int i = 0; i < 65534; i += 2) appendU16(file, 0x0041);
  writeU32(&file[12], static_cast<std::uint32_t>(file.size()));
  return file;
}

class NullChips : public ProChipHandler {
 public:
  bool onChipName(const std::string&) override { return true; }
  std::string onFinished() override { return {}; }
};

// 100,000 chip names or 20,000 overlapping 64 KiB code blocks: refused after one pass over
// the table; 64 code blocks, the most a PRO file may hold, are decoded.
void proFloodBench(benchmark::State& state, std::uint32_t type, std::uint32_t count) {
  const Bytes file = proFlood(type, count);
  NullReporter reporter;
  NullChips chips;
  ProgramImage image;
  for (auto _ : state) benchmark::DoNotOptimize(readPro(file, image, chips, kEnglish, reporter));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
void BM_ReadPro100kChipNames(benchmark::State& state) { proFloodBench(state, 0x02000202, 100000); }
void BM_ReadPro20kCodeBlocks(benchmark::State& state) { proFloodBench(state, 0x01000201, 20000); }
void BM_ReadPro64CodeBlocks(benchmark::State& state) { proFloodBench(state, 0x01000201, 64); }

// A 1 MiB INI file of 50,000 keys in one section, read and looked up.
void BM_ReadIni50kKeys(benchmark::State& state) {
  std::string text = "[Section]\r\n";
  for (int k = 0; k < 50000; ++k) text += "Key" + std::to_string(k) + "=" + std::to_string(k) + "\r\n";
  for (auto _ : state) {
    const IniDocument ini(text);
    benchmark::DoNotOptimize(ini.value("section", "key49999"));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_ReadPro100kChipNames);
BENCHMARK(BM_ReadPro20kCodeBlocks);
BENCHMARK(BM_ReadPro64CodeBlocks);
BENCHMARK(BM_ReadIni50kKeys);
BENCHMARK(BM_OpenPlainProject8K);
BENCHMARK(BM_OpenScrambledProject8K);
BENCHMARK(BM_SavePlainProject8K);
BENCHMARK(BM_SaveScrambledProject8K);
BENCHMARK(BM_WriteHex64K);
BENCHMARK(BM_ReadHex64K);

}  // namespace
}  // namespace kt90
