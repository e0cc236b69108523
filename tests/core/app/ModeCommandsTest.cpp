#include <gtest/gtest.h>

#include <memory>

#include "core/app/ModeCommands.h"
#include "core/app/OperatingMode.h"
#include "core/app/ServiceCode.h"
#include "core/app/WorkingState.h"
#include "core/text/StringTable.h"
#include "support/RecordingHost.h"

namespace kt90 {
namespace {

std::tm at(int year, int month, int day, int weekday, int hour) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_wday = weekday;  // 0 = Sunday
  t.tm_hour = hour;
  return t;
}

TEST(ServiceCode, HourAddedToYearMonthDayAndWeekday) {
  EXPECT_EQ(serviceCode(at(2024, 3, 5, 2, 14)), "38171917");    // Tuesday counts 3
  EXPECT_EQ(serviceCode(at(2005, 1, 1, 6, 0)), "05010107");     // Saturday counts 7
  EXPECT_EQ(serviceCode(at(2100, 12, 31, 0, 23)), "23355424");  // the year within its century
  EXPECT_NE(serviceCode(at(2024, 3, 5, 2, 14)), serviceCode(at(2024, 3, 5, 2, 15)));
}

class ModeCommandsTest : public ::testing::Test {
 protected:
  test::RecordingHost host;
  MemoryProfile profile;
  std::unique_ptr<WorkingState> state;
  const std::tm now = at(2024, 3, 5, 2, 14);

  void SetUp() override {
    profile.writeInt(profile::kLanguage, kEnglish);
    state = std::make_unique<WorkingState>(host, profile, KT90_TEST_DATA_DIR);
    state->start();
    state->image().setWord(0, 0x1234);
    state->showImageCode();
  }
  int storedAccount() const { return profile.readInt(profile::kAccount, -1); }
};

TEST_F(ModeCommandsTest, ProductionIsFreeAndMasksTheCode) {
  EXPECT_NE(host.code.find("1234"), std::string::npos);
  EXPECT_EQ(requestMode(*state, kProductionMode, now), ModeChange::Changed);
  EXPECT_EQ(state->operatingMode(), kProductionMode);
  EXPECT_EQ(storedAccount(), 0);
  EXPECT_TRUE(host.prompts.empty());
  EXPECT_EQ(host.code.find("1234"), std::string::npos);
  EXPECT_NE(host.code.find("****"), std::string::npos);
  EXPECT_EQ(host.state, OperationState::Ready);
  // Back to R&D without a password: no question, the code is readable again.
  EXPECT_EQ(requestMode(*state, kResearchMode, now), ModeChange::Changed);
  EXPECT_TRUE(host.prompts.empty());
  EXPECT_NE(host.code.find("1234"), std::string::npos);
  EXPECT_EQ(storedAccount(), 1);
}

TEST_F(ModeCommandsTest, ResearchModeNeedsAllEightDigitsOfThePassword) {
  state->image().protection.filePassword = {0x12, 0xAB, 0x00, 0x00};
  requestMode(*state, kProductionMode, now);

  host.entries = {"12AB"};
  EXPECT_EQ(requestMode(*state, kResearchMode, now), ModeChange::Refused);
  EXPECT_EQ(host.messages.back(), text(TextId::PasswordWrong, kEnglish));
  EXPECT_EQ(state->operatingMode(), kProductionMode);
  EXPECT_EQ(storedAccount(), 0);

  const std::size_t messages = host.messages.size();
  EXPECT_EQ(requestMode(*state, kResearchMode, now), ModeChange::Cancelled);  // no entry: Cancel
  EXPECT_EQ(host.messages.size(), messages);
  EXPECT_EQ(state->operatingMode(), kProductionMode);

  host.entries = {"12AB0000"};
  EXPECT_EQ(requestMode(*state, kResearchMode, now), ModeChange::Changed);
  EXPECT_EQ(state->operatingMode(), kResearchMode);
  EXPECT_EQ(host.prompts.back(), text(TextId::PasswordPrompt, kEnglish));
  // Asked again also when already in R&D mode.
  host.entries = {"12ab0000"};  // the entry dialog upper-cases; the command compares exactly
  EXPECT_EQ(requestMode(*state, kResearchMode, now), ModeChange::Refused);
}

TEST_F(ModeCommandsTest, ServiceModeNeedsTheCodeOfTheHourTheCommandStarted) {
  host.entries = {serviceCode(at(2024, 3, 5, 2, 15))};  // the next hour's code
  EXPECT_EQ(requestMode(*state, kServiceMarker, now), ModeChange::Refused);
  EXPECT_EQ(state->operatingMode(), kResearchMode);
  EXPECT_EQ(host.prompts.back(), text(TextId::ServiceCodePrompt, kEnglish));

  host.entries = {"38171917"};
  EXPECT_EQ(requestMode(*state, kServiceMarker, now), ModeChange::Changed);
  EXPECT_EQ(state->operatingMode(), kServiceMarker);
  EXPECT_EQ(static_cast<std::uint32_t>(storedAccount()), kServiceMarker);
  // Asked again in Service mode; Cancel keeps it.
  EXPECT_EQ(requestMode(*state, kServiceMarker, now), ModeChange::Cancelled);
  EXPECT_EQ(state->operatingMode(), kServiceMarker);

  EXPECT_EQ(requestMode(*state, 7, now), ModeChange::Refused);
  EXPECT_EQ(state->operatingMode(), kServiceMarker);
}

TEST_F(ModeCommandsTest, StartRuleReadsTheStoredMode) {
  const std::pair<std::int32_t, std::uint32_t> cases[] = {
      {7, kResearchMode}, {0, kProductionMode}, {static_cast<std::int32_t>(kServiceMarker), kServiceMarker}};
  for (const auto& [stored, expected] : cases) {
    profile.writeInt(profile::kAccount, stored);
    WorkingState fresh(host, profile, KT90_TEST_DATA_DIR);
    fresh.start();
    EXPECT_EQ(fresh.operatingMode(), expected);
  }
  EXPECT_TRUE(host.prompts.empty());  // Service mode survives a restart unasked
}

}  // namespace
}  // namespace kt90
