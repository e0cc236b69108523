#include "core/programmer/HardwareTest.h"

#include <array>

#include "core/base/FileIo.h"
#include "core/chip/CIniFile.h"
#include "core/programmer/Identification.h"
#include "core/programmer/Operations.h"

namespace kt90 {

namespace {

struct TestRow {
  std::uint32_t mask;
  const char* name;
};

// The programmer's own test names; a row shows when the result has any of its bits. The
// last four rows are groups of tests.
constexpr std::array<TestRow, 28> kTestRows = {{
    {0x1, "HW_Test_EEPROM_FLAG"},
    {0x2, "HW_Test_EEPROM_ALL_FLAG"},
    {0x4, "HW_Test_FLASH_FLAG"},
    {0x8, "HW_Test_FLASH_ALL_FLAG"},
    {0x10, "HW_Test_PCK_FLAG"},
    {0x20, "HW_Test_PGC_FLAG"},
    {0x40, "HW_Test_PGD_FLAG"},
    {0x80, "HW_Test_LED4_FLAG"},
    {0x100, "HW_Test_DCPWR_FLAG"},
    {0x200, "HW_Test_TGT_VREF_FLAG"},
    {0x400, "HW_Test_V4245_3V3_FLAG"},
    {0x800, "HW_Test_V4245_5V0_FLAG"},
    {0x1000, "HW_Test_VDDOFF_FLAG"},
    {0x2000, "HW_Test_VDD3V3_FLAG"},
    {0x4000, "HW_Test_VDD5V0_FLAG"},
    {0x8000, "HW_Test_VDD6V5_FLAG"},
    {0x10000, "HW_Test_VPPOFF_FLAG"},
    {0x20000, "HW_Test_VPP5V0_FLAG"},
    {0x20000, "HW_Test_VPP8V75_FLAG"},
    {0x40000, "HW_Test_VPP8V5_FLAG"},
    {0x80000, "HW_Test_VPP12V5_FLAG"},
    {0x100000, "HW_Test_TEST_OSPART_FLAG"},
    {0x200000, "HW_Test_TEST_OSALL_FLAG"},
    {0x400000, "HW_Test_TEST_EX_OSALL_FLAG"},
    {0x7FFD7F, "HW_TEST_EN_ALL_FLAG"},
    {0x1FFD75, "HW_TEST_EN_PART1_FLAG"},
    {0x3FFD75, "HW_TEST_EN_PART2_FLAG"},
    {0x7FFD75, "HW_TEST_EN_PART3_FLAG"},
}};

}  // namespace

std::uint32_t hardwareTestSelection(const std::string& programDir) {
  return hardwareTestSelection(WritableFiles::forProgramDir(programDir));
}

std::uint32_t hardwareTestSelection(const WritableFiles& files) {
  const CIniFile ini(pathToUtf8(files.readPath(kHwTestFileName)));
  return static_cast<std::uint32_t>(ini.ReadInt("HwTest", "Flag", static_cast<std::int32_t>(kDefaultHardwareTests)));
}

std::vector<std::string> failedTestNames(std::uint32_t result) {
  std::vector<std::string> names;
  for (const TestRow& row : kTestRows) {
    if (result & row.mask) names.emplace_back(row.name);
  }
  return names;
}

OperationState runHardwareTest(OperationRun& run) {
  if (!run.openDevice()) return OperationState::Failed;
  identifyProgrammer(run);
  const WritableFiles files = WritableFiles::forProgramDir(run.state.programDir());
  const std::string where = files.whereLine(files.readPath(kHwTestFileName), run.language);
  if (!where.empty()) run.state.appendLog(where);
  const std::uint32_t result = run.driver.HardwareModify(hardwareTestSelection(files));
  // No answer says nothing about any test: no result line, no test names.
  if (result == CKT90Driver::kHardwareNoAnswer) {
    run.log(TextId::HardwareTestNoAnswer);
    return OperationState::Failed;
  }
  run.log(TextId::HardwareModifyResult, result);
  run.outcome.hardwareResult = result;
  if (result == 0) return OperationState::Passed;
  for (const std::string& name : failedTestNames(result)) run.state.appendLog(name + "\r\n");
  return OperationState::Failed;
}

}  // namespace kt90
