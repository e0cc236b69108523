#include <cstdio>
#include <memory>

#include "cli/ChipJson.h"
#include "cli/Commands.h"

namespace kt90 {

void addChipCommands(CLI::App& app, CliOptions& options, int& exitCode) {
  auto* chips = app.add_subcommand("chips", "List the chip models of the language, one per line");
  addJsonFlag(*chips, options);
  chips->callback([&options, &exitCode] {
    CliSession session(options, stderr);
    if (options.json) {
      printJson({{"ok", true}, {"chips", session.state().chipList()}});
    } else {
      for (const std::string& model : session.state().chipList()) std::printf("%s\n", model.c_str());
    }
    exitCode = kExitOk;
  });

  auto* chip = app.add_subcommand("chip", "Print the summary of a fresh image for a chip model");
  auto model = std::make_shared<std::string>();
  chip->add_option("MODEL", *model, "Chip model, as listed by 'chips'")->required();
  addJsonFlag(*chip, options);
  chip->callback([&options, &exitCode, model] {
    CliSession session(options, stderr);
    session.selectChip(*model, kExitFailed);
    WorkingState& state = session.state();
    state.showImageSummary();
    if (options.json) {
      printJson(chipJson(state));
    } else {
      std::printf("%s\n", session.host().summary().c_str());
    }
    exitCode = kExitOk;
  });
}

}  // namespace kt90
