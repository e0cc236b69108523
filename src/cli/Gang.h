#pragma once
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliContext.h"
#include "cli/Json.h"
#include "core/programmer/DeviceOperations.h"

namespace kt90 {

// One programmer of a gang: its name (the port, or "sim:" and the state file), its own
// session (host, working state), and what its operation came to.
struct GangMember {
  std::string name;
  std::unique_ptr<CliSession> session;
  OperationOutcome outcome;
  std::string why;  // empty when it passed
  double seconds = 0;
  bool passed() const { return why.empty(); }
};

// What one member does on its own thread: fills its outcome, returns why it failed (empty
// when it passed). `index` is its place in the gang.
using GangWork = std::function<std::string(std::size_t index, GangMember& member)>;

// The download into the programmers `names`. `prepare` loads FILE once, on this thread, into
// the project's session. Each programmer has a session of its own for its log and journal,
// whose host writes to the shared console (`live`: standard error is a terminal, show
// progress lines); `work` runs each download on a thread of its own with the program
// prepared, asking it not to save the project file: the project keeps what the first passed
// download learnt and is saved once, at the end. Prints the closing table, or the one --json
// object. Returns the exit code: 0 when every programmer passed, 1 otherwise. Throws what
// `prepare` throws.
int runGangDownload(const std::vector<std::string>& names, const CliOptions& options, bool live,
                    const std::function<void(CliSession&)>& prepare, const GangWork& work);

// Runs `work` for every member at once, one thread each, and returns when all are done.
// A member whose work throws has failed with the exception's text.
void runGang(std::vector<GangMember>& members, const GangWork& work);

// {"ok": every member passed, "programmers": [{"port", "ok", "state", "error" when it
// failed, "log", "figures"}, ...]}
Json gangJson(const std::vector<GangMember>& members);

// The closing table: programmer, result, U_ID and time, one line each.
void printGangTable(const std::vector<GangMember>& members, std::FILE* stream);

// The download's --help text about gangs.
std::string gangHelp();

}  // namespace kt90
