#include <gtest/gtest.h>

#include <deque>
#include <tuple>
#include <memory>

#include "core/app/LimitCommands.h"
#include "core/app/WorkingState.h"
#include "core/progfile/ProtectionInput.h"
#include "core/text/StringTable.h"
#include "support/RecordingHost.h"

namespace kt90 {
namespace {

using namespace std::chrono_literals;

class LimitCommandsTest : public ::testing::Test {
 protected:
  test::RecordingHost host;
  MemoryProfile profile;
  std::unique_ptr<WorkingState> state;
  const std::chrono::system_clock::time_point t0 = std::chrono::system_clock::time_point(1700000000s);

  void SetUp() override {
    profile.writeInt(profile::kLanguage, kEnglish);
    state = std::make_unique<WorkingState>(host, profile, KT90_TEST_DATA_DIR);
    state->start();
  }
  Protection& protection() { return state->image().protection; }
  std::uint32_t limit() { return state->image().head.programLimit(); }
};

TEST_F(LimitCommandsTest, ProgramLimitBoundsAndDownloadLimit) {
  host.entries = {"4294967296"};
  EXPECT_FALSE(setProgramFileTimes(*state, t0));
  EXPECT_EQ(host.messages.back(), text(TextId::ProgramLimitTooLarge, kEnglish));
  EXPECT_EQ(limit(), 0u);
  EXPECT_EQ(host.prompts.size(), 1u);  // no download limit asked

  host.entries = {"4294967295", "12"};
  EXPECT_TRUE(setProgramFileTimes(*state, t0));
  EXPECT_EQ(limit(), 4294967295u);
  EXPECT_EQ(protection().currentTime, 1700000000u);
  EXPECT_EQ(protection().downloadLimit, 12);
  EXPECT_EQ(host.prompts.back(), text(TextId::DownloadLimitPrompt, kEnglish));
  EXPECT_NE(host.summary.find("Program limit:  0xFFFFFFFF"), std::string::npos);

  // The same limit again gets a new CurrentTime; Cancel of the second entry keeps 12.
  host.entries = {"4294967295"};
  EXPECT_TRUE(setProgramFileTimes(*state, t0 + 2s));
  EXPECT_EQ(protection().currentTime, 1700000002u);
  EXPECT_EQ(protection().downloadLimit, 12);

  // 256-999 fit the entry but are refused, never kept as their low byte.
  host.entries = {"5", "300"};
  EXPECT_TRUE(setProgramFileTimes(*state, t0));
  EXPECT_EQ(host.messages.back(), text(TextId::DownloadLimitTooLarge, kEnglish));
  EXPECT_EQ(protection().downloadLimit, 12);

  // 0 asks no download limit and leaves the old one; the summary drops the limit line.
  const std::size_t prompts = host.prompts.size();
  host.entries = {""};
  EXPECT_TRUE(setProgramFileTimes(*state, t0));
  EXPECT_EQ(limit(), 0u);
  EXPECT_EQ(host.prompts.size(), prompts + 1);
  EXPECT_EQ(protection().downloadLimit, 12);
  EXPECT_EQ(host.summary.find("Program limit"), std::string::npos);
}

TEST_F(LimitCommandsTest, PasswordEntryAndItsInitialText) {
  host.entries = {"ABCD"};
  EXPECT_TRUE(setProgramFilePassword(*state));
  EXPECT_EQ(protection().filePassword, (FilePassword{0xAB, 0xCD, 0x00, 0x00}));

  EXPECT_FALSE(setProgramFilePassword(*state));  // Cancel keeps it
  EXPECT_EQ(protection().filePassword, (FilePassword{0xAB, 0xCD, 0x00, 0x00}));

  host.entries = {""};
  EXPECT_TRUE(setProgramFilePassword(*state));
  EXPECT_FALSE(protection().hasPassword());
  EXPECT_EQ(host.prompts.back(), text(TextId::FilePasswordPrompt, kEnglish));
}

// A plain project file has no place for a password: one that the next save would lose is
// pointed out, whichever setting made it so.
TEST_F(LimitCommandsTest, APasswordWithoutAProgramLimitIsPointedOut) {
  const std::tuple<std::uint32_t, std::deque<std::string>, bool, bool> rows[] = {
      // limit before, entries, Set Program File times (else password), pointed out
      {0, {"1234"}, false, true}, {5, {"1234"}, false, false}, {0, {""}, false, false},
      {5, {"0"}, true, true},     {5, {"7", "1"}, true, false},
  };
  for (const auto& [limit, entries, timesCommand, told] : rows) {
    state->image().head.setProgramLimit(limit);
    protection().filePassword = {0x12, 0x34, 0, 0};
    host.messages.clear();
    host.entries = entries;
    EXPECT_TRUE(timesCommand ? setProgramFileTimes(*state, t0) : setProgramFilePassword(*state));
    EXPECT_EQ(host.messages == std::vector<std::string>{text(TextId::PasswordNeedsProgramLimit, kEnglish)}, told) << limit;
  }
}

}  // namespace
}  // namespace kt90
