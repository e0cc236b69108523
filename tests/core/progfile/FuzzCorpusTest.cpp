// The fuzz seed corpus: written from the test images on request, replayed through the
// fuzz targets on every run (under the sanitizers in the asan build).
#include <gtest/gtest.h>

#include <filesystem>

#include "support/FuzzCorpus.h"

#include "../../../fuzz/ProgfileTargets.h"
#include "TestFiles.h"
#include "TestImages.h"

namespace kt90 {
namespace {



Bytes textBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::uint32_t fixedRandom() {
  static std::uint32_t n = 7;
  return n = n * 1103515245u + 12345u;
}

// Seeds per corpus folder: small files of every form the readers accept.
test::FuzzSeeds seeds() {
  using namespace testimages;
  std::map<std::string, std::map<std::string, Bytes>> out;
  ProgramImage golden = goldenImage();
  ProgramImage rolling = fullImage(24, 0x10, 0);
  ProgramImage limited = fullImage(40, 0x20, 5, 2);
  ProgramImage empty = blankImage(0, 0x20);
  out["project_plain"] = {{"golden.vk", writeProjectPlain(golden)},
                          {"rolling.vk", writeProjectPlain(rolling)},
                          {"limited_plain.vk", writeProjectPlain(limited)},
                          {"empty.vk", writeProjectPlain(empty)},
                          {"old_k027.vk", testfiles::oldFile("K027", 1, true)}};
  out["project_scrambled"] = {{"limited.vk", writeProjectFile(limited, fixedRandom)},
                              {"golden.vk", writeProjectScrambled(golden, makeFileKey(0x10, fixedRandom))},
                              {"plain.vk", writeProjectPlain(rolling)}};

  ProgramImage code = fullImage(100, 0x10, 0);
  out["hex"] = {{"written.hex", writeHex(code.code(), 100, 0x3FFF)},
                {"tool.hex", textBytes(":020000040000fa\n:020000020000fc\n:040010003412ffffa8\n"
                                       ":0400000500000000f7\n")}};
  out["bin"] = {{"four.bin", {0x01, 0x28, 0x34, 0x12}}, {"code.bin", Bytes(code.code().begin(), code.code().begin() + 200)}};

  testfiles::ProBuilder pro;
  const Bytes key = {0x5A, 0x13, 0xC4};
  pro.reserveEntries(7);
  const std::uint32_t name = pro.utf16(u"K163B");
  const std::uint32_t keyAt = pro.keyRecord(key);
  const std::uint32_t codeAt = pro.encoded(Bytes(code.code().begin(), code.code().begin() + 64), key);
  const std::uint32_t optionsAt = pro.encoded(Bytes(16, 0x3F), key);
  const std::uint32_t flagsAt = pro.data({0x0A});
  pro.entry(testfiles::kName, 0, name, 0);
  pro.entry(testfiles::kKey, 0, keyAt, 1);
  pro.entry(testfiles::kData, 0, codeAt, 64);
  pro.entry(testfiles::kData, 0x4000, optionsAt, 16);
  pro.entry(testfiles::kFlags, 0, flagsAt, 1);
  pro.entry(testfiles::kCalFlags, 0, 3, 0);
  pro.entry(testfiles::kRolling, 0, 1, 0);
  out["pro"] = {{"small.pro", pro.build()}};

  std::vector<std::string> rows = rowsForUids(limited.protection.uids);
  rows[5] = "0102030405060708090A0B0C";
  out["ktid"] = {{"KT_ID.TXT", ktIdFileFromRows(rows)}};
  return out;
}

TEST(FuzzCorpus, WriteSeedsOnRequest) { test::writeSeedsOnRequest(seeds()); }

TEST(FuzzCorpus, ReplaysThroughTheTargets) { test::replayCorpora(fuzz::kProgfileTargets); }

}  // namespace
}  // namespace kt90
