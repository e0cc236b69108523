#include "cli/Gang.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>

#include "cli/DeviceJson.h"
#include "cli/GangConsole.h"
#include "core/base/Encoding.h"
#include "core/programmer/ProgramToWrite.h"

namespace kt90 {

namespace {

void runMember(std::size_t index, GangMember& member, const GangWork& work) {
  const auto begin = std::chrono::steady_clock::now();
  try {
    member.why = work(index, member);
  } catch (const std::exception& failure) {
    member.why = failure.what();
    member.session->state().appendLog(member.why);
  }
  member.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

std::string resultText(const GangMember& member) { return member.passed() ? "Passed" : "Failed"; }

bool allPassed(const std::vector<GangMember>& members) {
  return std::all_of(members.begin(), members.end(), [](const GangMember& m) { return m.passed(); });
}

}  // namespace

int runGangDownload(const std::vector<std::string>& names, const CliOptions& options, bool live,
                    const std::function<void(CliSession&)>& prepare, const GangWork& work) {
  // The project: FILE loaded once. Its lines go to standard error under --json, which keeps
  // standard output for the one object.
  CliSession project(options, options.json ? stderr : stdout);
  project.host().setQuiet(options.json);
  prepare(project);
  GangConsole console(names, stdout, live);
  std::vector<GangMember> members(names.size());
  for (std::size_t i = 0; i < members.size(); ++i) {
    members[i].name = names[i];
    members[i].session = std::make_unique<CliSession>(options, stdout);
    TerminalHost& host = members[i].session->host();
    host.setQuiet(options.json);
    host.setProgressBar(live);
    host.setOutput(&console.output(i));
  }
  runGang(members, work);
  const auto passed = std::find_if(members.begin(), members.end(), [](const GangMember& m) { return m.passed(); });
  if (passed != members.end()) {
    // What the save says is the project's, not a programmer's: on standard error under --json.
    project.host().setQuiet(false);
    keepDownloadedProgram(project.state(), passed->outcome);
  }
  if (options.json) {
    printJson(gangJson(members));
  } else {
    printGangTable(members, stdout);
  }
  return allPassed(members) ? kExitOk : kExitFailed;
}

void runGang(std::vector<GangMember>& members, const GangWork& work) {
  std::vector<std::thread> workers;
  for (std::size_t i = 0; i < members.size(); ++i)
    workers.emplace_back(runMember, i, std::ref(members[i]), std::cref(work));
  for (std::thread& worker : workers) worker.join();
}

Json gangJson(const std::vector<GangMember>& members) {
  Json json;
  json["ok"] = allPassed(members);
  json["programmers"] = Json::array();
  for (const GangMember& member : members) {
    json["programmers"].push_back(
        programmerJson(member.name, member.passed() ? member.outcome.finalState : OperationState::Failed, member.why,
                       member.session->host(), member.outcome));
  }
  return json;
}

void printGangTable(const std::vector<GangMember>& members, std::FILE* stream) {
  std::size_t width = std::string("Programmer").size();
  for (const GangMember& member : members) width = std::max(width, member.name.size());
  const int nameWidth = static_cast<int>(width);
  std::fprintf(stream, "%-*s  %-6s  %-24s  %s\n", nameWidth, "Programmer", "Result", "U_ID", "Time");
  for (const GangMember& member : members) {
    const std::string& uid = member.outcome.uid;
    std::fprintf(stream, "%-*s  %-6s  %-24s  %.2f s\n", nameWidth, escapeInvalidUtf8(member.name).c_str(),
                 resultText(member).c_str(), uid.empty() ? "-" : uid.c_str(), member.seconds);
  }
  std::fflush(stream);
}

std::string gangHelp() {
  return "Several programmers at once: repeat --port and --sim, in any mix, e.g.\n"
         "  kt90ctl download prog.vk --port /dev/ttyACM0 --port /dev/ttyACM1 --sim spare.state\n"
         "Each programmer downloads on a thread of its own; its log lines start with [PORT] (or\n"
         "[sim:STATEFILE]), a terminal shows one progress line per programmer, and a table of\n"
         "programmer, result, U_ID and time ends the run. With --json: one object {\"ok\", \"programmers\":\n"
         "[{\"port\", \"ok\", \"state\", \"log\", \"figures\"}, ...]}. Exit 0 only when every programmer\n"
         "passed, 1 when any failed. The project file is saved once, after all downloads, when at\n"
         "least one passed. The other commands reach one programmer each.";
}

}  // namespace kt90
