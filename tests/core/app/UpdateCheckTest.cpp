#include <gtest/gtest.h>

#include <deque>

#include "core/app/UpdateCheck.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

const std::string kPage =
    "<html><body><table><tr><td>其他</td></tr><tr><td>软件下载</td><td class=v>ABC V1.2.3</td></tr>"
    "</table></body></html>";

TEST(UpdateCheckRules, PublishedVersionFromTheFirstCellAfterTheMarker) {
  // The marker sits in a cell of its own; the next cell holds the version.
  EXPECT_EQ(publishedVersion(kPage, "ABC V", 5), "1.2.3");
  EXPECT_EQ(publishedVersion(kPage, "ABC V", 8), "1.2.3");  // the cell ends sooner
  EXPECT_EQ(publishedVersion(kPage, "ABC V", 3), "1.2");
  EXPECT_EQ(publishedVersion(kPage, "XYZ V", 5), "");
  EXPECT_EQ(publishedVersion(kPage, "ABC V", 0), "");
  EXPECT_EQ(publishedVersion("软件下载 but no cell", "ABC V", 5), "");
  EXPECT_EQ(publishedVersion("<td>ABC V1.2.3</td>", "ABC V", 5), "");     // no marker
  EXPECT_EQ(publishedVersion("软件下载<td>ABC V1.2.3", "ABC V", 5), "");  // cell never closes
  // Only the first cell counts.
  EXPECT_EQ(publishedVersion("软件下载<td>x</td><td>ABC V9</td>", "ABC V", 5), "");
  // Lengths count characters, never splitting one.
  EXPECT_EQ(publishedVersion("软件下载<td>ABC V版本2</td>", "ABC V", 2), "版本");
  EXPECT_EQ(updateSearchKey("ABC"), "ABC V");
}

TEST(UpdateCheckRules, QuestionAndDate) {
  EXPECT_TRUE(offersUpdate("1.2.4", "1.2.3"));
  EXPECT_FALSE(offersUpdate("1.2.3", "1.2.3"));
  EXPECT_FALSE(offersUpdate("", "1.2.3"));
  EXPECT_EQ(updateQuestion("1.0", "2.0"),
            "  当前版本:            1.0\n  官网版本:            2.0\n\n是否去官网下载最新版本软件？");
  std::tm day{};
  day.tm_year = 124;
  day.tm_mon = 2;
  day.tm_mday = 6;
  EXPECT_EQ(lastTimeText(day), "2024/03/06");
}

class FakeIo : public UpdateCheckIo {
 public:
  PageFetch page;
  std::deque<MessageAnswer> answers;
  std::vector<std::string> fetched, messages, opened;
  PageFetch fetch(const std::string& url) override {
    fetched.push_back(url);
    return page;
  }
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override {
    messages.push_back(text);
    if (buttons == MessageButtons::Ok || answers.empty()) return MessageAnswer::Ok;
    const MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  void openUrl(const std::string& url) override { opened.push_back(url); }
};

class UpdateCheckFlow : public ::testing::Test {
 protected:
  Settings settings;
  MemoryProfile profile;
  FakeIo io;
  std::tm today{};
  void SetUp() override {
    settings.checkVersion = 1;
    settings.windowText = "ABC";
    settings.version = "1.2.3";
    settings.versionLength = 5;
    settings.checkUrl = "http://127.0.0.1/v.html";
    settings.downloadUrl = "http://127.0.0.1/dl";
    today.tm_year = 125;
    today.tm_mon = 0;
    today.tm_mday = 2;
    io.page.body = kPage;
  }
  std::string lastTime() const { return profile.readString(profile::kLastTime, "unset"); }
};

TEST_F(UpdateCheckFlow, DisabledCheckTouchesNothing) {
  settings.checkVersion = 0;
  EXPECT_EQ(runUpdateCheck(settings, profile, io, today), UpdateCheckResult::Disabled);
  EXPECT_TRUE(io.fetched.empty());
  EXPECT_EQ(lastTime(), "unset");
}

TEST_F(UpdateCheckFlow, LastTimeIsWrittenWhateverTheFetchGave) {
  EXPECT_EQ(runUpdateCheck(settings, profile, io, today), UpdateCheckResult::NothingNew);  // equal version
  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(lastTime(), "2025/01/02");

  profile = MemoryProfile();
  io.page = PageFetch{false, "", ""};  // no connection: silent
  EXPECT_EQ(runUpdateCheck(settings, profile, io, today), UpdateCheckResult::NothingNew);
  EXPECT_TRUE(io.messages.empty());
  EXPECT_EQ(lastTime(), "2025/01/02");

  profile = MemoryProfile();
  io.page = PageFetch{true, "Connection refused", ""};
  EXPECT_EQ(runUpdateCheck(settings, profile, io, today), UpdateCheckResult::Failed);
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_EQ(io.messages[0], "Connection refused");
  EXPECT_EQ(lastTime(), "2025/01/02");

  io.page = PageFetch{};
  io.page.tooLarge = true;  // given up past the bound: a failure that says why
  EXPECT_EQ(runUpdateCheck(settings, profile, io, today), UpdateCheckResult::Failed);
  ASSERT_EQ(io.messages.size(), 2u);
  EXPECT_EQ(io.messages[1], formatText(text(TextId::UpdatePageTooLarge, kChinese), 65536u));
}

TEST_F(UpdateCheckFlow, ANewerVersionIsOfferedAndOpenedOnYes) {
  settings.versionLength = 8;  // "1.2.3" then what the cell holds after it
  io.page.body = "软件下载<td>ABC V1.2.4 beta</td>";
  io.answers = {MessageAnswer::No};
  EXPECT_EQ(runUpdateCheck(settings, profile, io, today), UpdateCheckResult::Declined);
  EXPECT_EQ(io.messages.back(), updateQuestion("1.2.3", "1.2.4 be"));
  EXPECT_TRUE(io.opened.empty());

  io.answers = {MessageAnswer::Yes};
  EXPECT_EQ(runUpdateCheck(settings, profile, io, today), UpdateCheckResult::Opened);
  EXPECT_EQ(io.opened, std::vector<std::string>{"http://127.0.0.1/dl"});
}

}  // namespace
}  // namespace kt90
