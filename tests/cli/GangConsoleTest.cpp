// The gang's progress lines on a terminal: one per programmer while they leave a row for
// the log, else one summary line.
#include <gtest/gtest.h>

#include "cli/GangConsole.h"

namespace kt90 {
namespace {

TEST(GangConsole, MoreProgrammersThanRowsShowOneSummaryLine) {
  struct Case {
    std::size_t programmers;
    int rows;
    std::size_t lines;
  };
  const Case cases[] = {
      {4, 0, 4},    // rows unknown (not a terminal): one line each
      {4, 5, 4},    // a row left for the log
      {4, 4, 1},    // none left
      {30, 24, 1},  // a large gang on a small terminal
      {1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.programmers) + " programmers, " + std::to_string(c.rows) + " rows");
    std::vector<std::string> names;
    std::vector<GangProgress> shown(c.programmers);
    for (std::size_t i = 0; i < c.programmers; ++i) names.push_back("/dev/ttyACM" + std::to_string(i));
    shown[0] = {100, OperationState::Passed};
    const std::vector<std::string> lines = gangProgressLines(names, shown, c.rows);
    ASSERT_EQ(lines.size(), c.lines);
    if (c.lines == 1 && c.programmers > 1) {
      EXPECT_NE(lines[0].find(std::to_string(c.programmers) + " programmers"), std::string::npos) << lines[0];
      EXPECT_NE(lines[0].find("passed 1"), std::string::npos) << lines[0];
    }
  }
}

}  // namespace
}  // namespace kt90
