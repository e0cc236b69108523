#include "InProcessOps.h"
#include "core/app/SummaryText.h"
#include "sim/StoredProgram.h"

namespace kt90::testing {
namespace {

// A program stored by a download, then altered in the programmer: every refusal leaves the
// working state's image exactly as it was.
class Upload : public InProcessOps {
 protected:
  void SetUp() override {
    start();
    fillProgram(*state, 31);
    ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
    fillProgram(*state, 32);  // the working image now differs from the stored one
    before = state->image();
  }
  void expectRefused(const std::string& lastLine) {
    EXPECT_EQ(run(DeviceOperation::Upload).finalState, OperationState::Failed);
    EXPECT_EQ(host.log.back(), lastLine);
    EXPECT_TRUE(state->image() == before);
    EXPECT_TRUE(tracker->closedEveryTime());
  }
  static constexpr std::uint32_t kTrailer = 0x20 + 2 * 0x800;
  ProgramImage before;
};

TEST_F(Upload, ProtectedProgramIsRefused) {
  writeU32(&storage()[4], 10);
  expectRefused(msg(TextId::UploadProtected));
}

TEST_F(Upload, HeadsWhoseCodeTheBufferCannotHoldAreDamaged) {
  for (std::uint16_t words : {0x2001, 0x8010, 0xFFF0}) {
    writeU16(&storage()[2], words);
    expectRefused(msg(TextId::UploadHeadDamaged));
  }
  // A head of 32,768 words, the whole code buffer, passes the head check and is read whole;
  // its head names a chip without a definition ("T"), so the working state keeps its chip
  // and program instead of showing the code under another chip's definition.
  StoredProgram big;
  for (std::uint32_t n = 0; n < ProgramImage::kMaxCodeWords; ++n) big.code.push_back(static_cast<std::uint16_t>(n * 5));
  const Bytes area = big.programArea();
  std::copy(area.begin(), area.end(), storage().begin());
  const std::string model = state->chipModelName();
  EXPECT_EQ(run(DeviceOperation::Upload).finalState, OperationState::Failed);
  EXPECT_TRUE(host.logHas(msg(TextId::UploadCodeDone)));
  EXPECT_TRUE(state->image() == before);
  EXPECT_EQ(state->chipModelName(), model);
}

TEST_F(Upload, AlteredCodeFailsTheSignature) {
  const std::uint16_t stored = readU16(&storage()[kTrailer]);
  storage()[0x20] ^= 0x01;
  ProgramImage altered;
  std::copy(storage().begin(), storage().begin() + 32, altered.head.bytes.begin());
  std::copy(storage().begin() + 0x20, storage().begin() + kTrailer, altered.code().begin());
  expectRefused(msg(TextId::UploadSignatureMismatch, static_cast<unsigned>(stored),
                    static_cast<unsigned>(chipSignature(altered))));
}

TEST_F(Upload, CalibrationCountAboveEightIsRefused) {
  storage()[kTrailer + 2] = 9;
  expectRefused(msg(TextId::CalibrationCountTooLarge, 9u));
}

TEST_F(Upload, AlteredTrailerFailsTheFileChecksum) {
  storage()[kTrailer + 6 + 12 * storage()[kTrailer + 2]] ^= 0x40;  // an OpenShort byte
  EXPECT_EQ(run(DeviceOperation::Upload).finalState, OperationState::Failed);
  EXPECT_TRUE(host.log.back().rfind("file checksum failed, read=0x", 0) == 0);
  EXPECT_TRUE(state->image() == before);
}

// The programmer holds another chip's program, of either head version: the upload brings
// its ConfigBlock along, so the summary lists that program's OPTION words and values, never
// the layout of the chip that was current before.
TEST_F(Upload, AnotherChipsProgramBringsItsOwnOptionWords) {
  const auto optionLines = [](const std::string& summary) { return summary.substr(summary.find("OPTION[")); };
  for (const auto& [stored, current] : {std::pair{"QD46K300T1", "QD45C8K"}, std::pair{"QD45C8K", "QD46K300T1"}}) {
    selectChip(stored);
    fillProgram(*state, 41);
    state->image().setOptionWord(14, 0x0123);  // a word only the ConfigBlock holds
    ASSERT_EQ(run(DeviceOperation::Download).finalState, OperationState::Passed);
    ProgramImage downloaded = state->image();
    const std::string expected = imageSummaryText(downloaded, state->chipInfo().bitWidth, kEnglish).text;

    selectChip(current);
    ASSERT_EQ(run(DeviceOperation::Upload).finalState, OperationState::Ready) << host.log.back();
    EXPECT_EQ(state->chipModelName(), stored);
    EXPECT_EQ(state->image().config.bytes, downloaded.config.bytes);
    EXPECT_EQ(optionLines(host.summary), optionLines(expected));
    EXPECT_TRUE(state->fileName().empty());
    EXPECT_TRUE(state->unsavedChanges());  // the program is in no file
  }
  EXPECT_EQ(state->image().protection, before.protection);
}

}  // namespace
}  // namespace kt90::testing
