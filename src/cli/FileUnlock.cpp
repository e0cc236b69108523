#include "cli/FileUnlock.h"

#include "core/app/ModeCommands.h"
#include "core/app/OperatingMode.h"
#include "core/base/LocalTime.h"
#include "core/progfile/ProtectionInput.h"

namespace kt90 {

namespace {
constexpr std::size_t kPasswordDigits = 8;
}

bool unlockProgram(CliSession& session, const std::string& unlock, const std::string& file) {
  WorkingState& state = session.state();
  if (!state.image().protection.hasPassword()) return true;
  if (unlock.empty()) return false;
  // The window's entry dialog takes lower-case digits as upper case; nothing else passes.
  const std::string typed = filterEntryText(unlock, EntryMode::Hexadecimal, kPasswordDigits);
  if (typed.size() != unlock.size())
    throw CommandFailure(kExitUsage, "--unlock takes the file's password: up to 8 hexadecimal digits");
  session.host().answerNextEntry(typed);
  if (requestMode(state, kResearchMode, localNow()) == ModeChange::Changed) return true;
  throw CommandFailure(kExitFailed, "wrong password: --unlock is not the password of " + file);
}

std::string lockedFileText(const std::string& file) {
  return file +
         " is protected by a password: exporting its code or changing its protection needs --unlock "
         "with the file's password";
}

std::string protectionHelp() {
  return "A program file with a password is protected: 'convert' to .hex or .bin, 'convert' with\n"
         "--program-limit, --download-limit or --password, and an unmasked 'dump' need\n"
         "--unlock PASSWORD (the file's eight hexadecimal digits); without it they fail with exit\n"
         "code 1 and write nothing, and 'dump' shows the code masked. 'convert' to .vk without\n"
         "those options keeps the file protected; 'info' shows figures, never code words.";
}

}  // namespace kt90
