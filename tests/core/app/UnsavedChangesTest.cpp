#include <gtest/gtest.h>

#include <functional>

#include "core/app/OpenProgramFile.h"
#include "core/app/SaveProgramFile.h"
#include "core/base/FileIo.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

namespace kt90 {
namespace {

// What leaves the image with changes no file holds, and what clears that again.
TEST(UnsavedChanges, EditsKeptProgramsOpensAndSaves) {
  const std::string vk = std::string(KT90_TEST_DATA_DIR) + "/samples/blink_vk1620.vk";
  const std::filesystem::path dir = test::uniqueTempDir("kt90_unsaved");
  std::filesystem::create_directories(dir);
  test::RecordingHost host;
  using Step = std::function<void(WorkingState&)>;
  const Step open = [&](WorkingState& s) { openProgramFile(s, vk); };
  const Step edit = [](WorkingState& s) { s.editImage([&] { return (s.image().setWord(3, 0x42), true); }); };
  const Step noEdit = [](WorkingState& s) { s.editImage([] { return false; }); };
  const Step flag = [](WorkingState& s) { s.setHeadFlag(headflag::kBlank, !s.image().head.flag(headflag::kBlank)); };
  const Step save = [&](WorkingState& s) { saveProgramFile(s, pathToUtf8(dir / "x"), SaveType::Project); };
  const auto chip = [&](MessageAnswer keep) {
    return [&host, keep](WorkingState& s) { host.answers = {keep}, s.changeChip("QD48K025T0"); };
  };
  const std::pair<std::vector<Step>, bool> rows[] = {
      {{open}, false},       {{open, edit}, true},         {{open, noEdit}, false},
      {{open, flag}, true},  {{open, edit, save}, false},  {{edit, open}, false},
      {{open, chip(MessageAnswer::Yes)}, true},  // the program kept for another chip
      {{open, chip(MessageAnswer::No)}, false},
  };
  int row = 0;
  for (const auto& [steps, unsaved] : rows) {
    MemoryProfile profile;
    WorkingState state(host, profile, KT90_TEST_DATA_DIR);
    state.start();
    for (const Step& step : steps) step(state);
    EXPECT_EQ(state.unsavedChanges(), unsaved) << "row " << row++;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kt90
