#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "StoredProgram.h"
#include "core/programmer/Commands.h"
#include "sim/Emulator.h"

namespace kt90::sim {
namespace {

using kt90::testing::StoredProgram;

class ProgramRun : public ::testing::Test {
 protected:
  ProgramRun() : clock(std::make_shared<ManualClock>()), emulator(clock) { emulator.setVersionText("KT90 DB V4.0"); }
  void store(const StoredProgram& p) {
    ASSERT_TRUE(p.writeTo([this](std::uint32_t a, ByteView b) { return emulator.writeData(a, b); }));
  }
  static StoredProgram small() {
    StoredProgram p;
    p.code.assign(16, 0x3FFF);
    p.code[1] = 0x1234;
    p.code[2] = 0x0000;
    p.options[0] = 0x3F00;
    p.options[13] = 0x0030;
    p.optionMask = 0x2001;
    return p;
  }
  std::shared_ptr<ManualClock> clock;
  Emulator emulator;
};

TEST_F(ProgramRun, BurnsCodeAndOptionsIntoAFreshChipEachRun) {
  store(small());
  emulator.chip().burnCode(1, 0);  // yesterday's chip: replaced by a fresh one
  const RunResult run = emulator.programChip();
  ASSERT_TRUE(run.ok) << int(run.code);
  EXPECT_EQ(emulator.chip().code(0), 0x3FFF);
  EXPECT_EQ(emulator.chip().code(1), 0x1234);
  EXPECT_EQ(emulator.chip().code(2), 0x0000);
  EXPECT_EQ(emulator.chip().option(0), 0x3F00);
  EXPECT_EQ(emulator.chip().option(13), 0x0030);
  EXPECT_EQ(emulator.chip().option(1), 0x3FFF);  // not in the mask: left blank
  EXPECT_FALSE(run.rolling);
  EXPECT_EQ(emulator.counters.total, 1u);
  EXPECT_EQ(emulator.counters.success, 1u);
}

TEST_F(ProgramRun, OtpChipKeptInTheSocketFailsBlankCheckOrVerify) {
  StoredProgram p = small();
  store(p);
  ASSERT_TRUE(emulator.programChip().ok);
  emulator.keepChip = true;

  // Bits once 0 cannot be raised again.
  emulator.chip().burnCode(3, 0x3FF0);
  emulator.chip().burnCode(3, 0x3FFF);
  EXPECT_EQ(emulator.chip().code(3), 0x3FF0);

  EXPECT_EQ(emulator.programChip().code, result::kBlankCheck);
  p.flags = headflag::kProgram | headflag::kVerify;  // no blank check: verify catches it
  p.code[3] = 0x3FFF;
  store(p);
  EXPECT_EQ(emulator.programChip().code, result::kVerify);
  // Programming the same content again over a chip that already holds it verifies.
  emulator.chip().makeBlank(14);
  p.code[3] = 0x3FF0;
  store(p);
  EXPECT_TRUE(emulator.programChip().ok);
  EXPECT_TRUE(emulator.programChip().ok);
  EXPECT_EQ(emulator.counters.total, 5u);
  EXPECT_EQ(emulator.counters.success, 3u);

  emulator.chip().present = false;
  EXPECT_EQ(emulator.programChip().code, result::kPlacement);
}

TEST_F(ProgramRun, OptionVerifyFailureIsAConfigurationError) {
  StoredProgram p = small();
  p.flags = headflag::kProgram | headflag::kVerify;
  store(p);
  emulator.keepChip = true;
  emulator.chip().burnOption(0, 0x0000);
  EXPECT_EQ(emulator.programChip().code, result::kConfiguration);
}

// The chip in the socket is checked as a real programmer checks it: that it answers, its
// model by the ID bytes the program names, its word width, and every word it was given.
TEST_F(ProgramRun, ChipOfAnotherModelOrWidthIsRefused) {
  // As the chip loader leaves a program for a 14-bit chip with ID 0xF0 at 0x200B.
  StoredProgram made = small();
  for (int i = 0; i < 16; ++i) {
    if (!((made.optionMask >> i) & 1)) made.options[i] = 0x3FFF;
  }
  made.chipIds = {{{0xF0, 0x200B}, {0xF1, 0x200C}}};
  struct Case {
    const char* what;
    std::function<void(StoredProgram&, Emulator&)> change;
    std::optional<std::uint8_t> code;  // none: the run passes
  };
  const Case cases[] = {
      {"the right chip", [](StoredProgram&, Emulator&) {}, std::nullopt},
      {"another model", [](StoredProgram&, Emulator& e) { ASSERT_EQ(applyFault(e, "wrong-chip"), ""); },
       result::kChipId},
      {"kept chip without an ID",
       [](StoredProgram&, Emulator& e) {
         e.keepChip = true;
         e.chip().makeBlank(14);
       },
       result::kChipId},
      {"kept chip showing the second ID",
       [](StoredProgram&, Emulator& e) {
         e.keepChip = true;
         e.chip().makeBlank(14);
         e.chip().setIdByte(0x200C, 0xF1);
       },
       std::nullopt},
      {"program for a 16-bit chip",
       [](StoredProgram& p, Emulator&) {
         for (int i = 1; i < 13; ++i) p.options[i] = 0xFFFF;
         p.options[14] = p.options[15] = 0xFFFF;
       },
       result::kChipId},
      {"16-bit socket", [](StoredProgram&, Emulator& e) { e.chipWordWidth = 16; }, result::kChipId},
      {"word wider than the chip", [](StoredProgram& p, Emulator&) { p.code[5] = 0xFFFF; }, result::kChipId},
      {"no ID named", [](StoredProgram& p, Emulator&) { p.chipIds = {}; }, std::nullopt},
      {"chip that never gets ready", [](StoredProgram&, Emulator& e) { ASSERT_EQ(applyFault(e, "never-ready"), ""); },
       result::kPlacement},
      {"weak cell", [](StoredProgram&, Emulator& e) { ASSERT_EQ(applyFault(e, "verify-fail"), ""); }, result::kVerify},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Emulator e(clock);
    e.setVersionText("KT90 DB V4.0");
    StoredProgram p = made;
    c.change(p, e);
    ASSERT_TRUE(p.writeTo([&e](std::uint32_t a, ByteView b) { return e.writeData(a, b); }));
    const RunResult run = e.programChip();
    EXPECT_EQ(run.ok, !c.code);
    EXPECT_EQ(run.code, c.code.value_or(0));
    EXPECT_EQ(e.counters.total, 1u);
  }
}

TEST_F(ProgramRun, RollingCodeAdvancesByItsStepUntilItOverflows) {
  StoredProgram p = small();
  p.setRolling({0xFE, 0x00}, {0x8, 0x9}, 0x80);
  store(p);
  std::vector<std::pair<std::uint8_t, std::uint8_t>> serials;
  for (int i = 0; i < 3; ++i) {
    const RunResult run = emulator.programChip();
    ASSERT_TRUE(run.ok);
    ASSERT_TRUE(run.rolling);
    serials.emplace_back(run.serial[0], run.serial[1]);
    EXPECT_EQ(emulator.chip().code(8), 0x0400 | run.serial[0]);
    EXPECT_EQ(emulator.chip().code(9), 0x0400 | run.serial[1]);
  }
  EXPECT_EQ(serials, (std::vector<std::pair<std::uint8_t, std::uint8_t>>{{0xFE, 0x00}, {0x7E, 0x01}, {0xFE, 0x01}}));

  // One byte from 0xFF with step 1: the run after 0xFF cannot go on.
  p.setRolling({0xFF}, {0x8}, 1);
  store(p);  // a new download starts the serial number afresh
  EXPECT_TRUE(emulator.programChip().ok);
  EXPECT_EQ(emulator.programChip().code, result::kRollingCode);
}

TEST_F(ProgramRun, ProgramLimitCountsPerDownload) {
  StoredProgram p = small();
  p.programLimit = 2;
  store(p);
  EXPECT_TRUE(emulator.programChip().ok);
  EXPECT_TRUE(emulator.programChip().ok);
  EXPECT_EQ(emulator.programChip().code, result::kProgramLimit);
  EXPECT_EQ(emulator.counters.total, 3u);
  EXPECT_EQ(emulator.counters.success, 2u);
  store(p);
  EXPECT_TRUE(emulator.programChip().ok);
}

TEST_F(ProgramRun, StoredProgramMustBeThereAndIntact) {
  emulator.eraseStorage();
  EXPECT_EQ(emulator.programChip().code, result::kSelfTest);

  store(small());
  emulator.storage()[storage::kCode + 4] ^= 0x01;  // altered code: signature no longer matches
  EXPECT_EQ(emulator.programChip().code, result::kLoadProgram);

  store(small());
  emulator.storage()[trailerAddress(16) + 2 + 4 + 3] ^= 0x01;  // open/short byte: checksum fails
  EXPECT_EQ(emulator.programChip().code, result::kLoadProgram);

  store(small());
  emulator.selfTestFailures = 0x10;
  EXPECT_EQ(emulator.programChip().code, result::kSelfTest);
}

TEST_F(ProgramRun, CalibrationWithImpossibleBoundsFails) {
  StoredProgram p = small();
  p.calibrationHeader = {2, 0x03, 0, 0};
  std::array<std::uint8_t, 12> entry{};
  writeU16(&entry[4], 100);
  writeU16(&entry[6], 200);
  p.calibration = {entry, entry};
  store(p);
  ASSERT_TRUE(emulator.programChip().ok);
  EXPECT_EQ(emulator.chip().calibration[0], 150);
  EXPECT_EQ(emulator.chip().calibration[1], 150);

  writeU16(&p.calibration[1][4], 300);
  store(p);
  EXPECT_EQ(emulator.programChip().code, result::kCalibration);
  p.calibrationHeader[1] = 0x01;  // the bad entry switched off
  store(p);
  EXPECT_TRUE(emulator.programChip().ok);
}

TEST_F(ProgramRun, CommandAnswersAckThenResultAfterTheProgrammingTime) {
  StoredProgram p = small();
  p.setRolling({0x42}, {0x8}, 1);
  store(p);
  ASSERT_TRUE(emulator.command(CMD_PROGRAM));
  const TimePoint start = clock->now();
  EXPECT_EQ(emulator.waitOutput(1, start + std::chrono::seconds(2)), (Bytes{reply::kProgramOk}));
  EXPECT_EQ(clock->now(), start);  // the acknowledgement is there at once
  EXPECT_EQ(emulator.waitOutput(5, start + std::chrono::seconds(10)), (Bytes{reply::kProgramOk, 0x42, 0, 0, 0}));
  EXPECT_EQ(clock->now(), start + emulator.programTime);

  // A failed run answers its code after a failure status; a short wait sees nothing yet.
  p.programLimit = 1;
  store(p);
  ASSERT_TRUE(emulator.programChip().ok);
  ASSERT_TRUE(emulator.command(CMD_PROGRAM));
  emulator.waitOutput(1, clock->now());
  EXPECT_TRUE(emulator.waitOutput(1, clock->now() + std::chrono::milliseconds(10)).empty());
  EXPECT_EQ(emulator.waitOutput(2, clock->now() + std::chrono::seconds(1)),
            (Bytes{reply::kProgramFailed, result::kProgramLimit}));

  emulator.setVersionText("KT90 V5.0");  // a stand-alone programmer does not take the command
  EXPECT_FALSE(emulator.command(CMD_PROGRAM));
}

}  // namespace
}  // namespace kt90::sim
