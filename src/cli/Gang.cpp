#include "cli/Gang.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>

#include "cli/DeviceJson.h"
#include "core/base/Encoding.h"

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

}  // namespace

void runGang(std::vector<GangMember>& members, const GangWork& work) {
  std::vector<std::thread> workers;
  for (std::size_t i = 0; i < members.size(); ++i)
    workers.emplace_back(runMember, i, std::ref(members[i]), std::cref(work));
  for (std::thread& worker : workers) worker.join();
}

Json gangJson(const std::vector<GangMember>& members) {
  Json json;
  json["ok"] = std::all_of(members.begin(), members.end(), [](const GangMember& m) { return m.passed(); });
  json["programmers"] = Json::array();
  for (const GangMember& member : members) {
    Json one;
    one["port"] = escapeInvalidUtf8(member.name);
    one["ok"] = member.passed();
    one["state"] = stateName(member.passed() ? member.outcome.finalState : OperationState::Failed);
    if (!member.passed()) one["error"] = escapeInvalidUtf8(member.why);
    one["log"] = logJson(member.session->host());
    one["figures"] = figuresJson(member.outcome);
    json["programmers"].push_back(std::move(one));
  }
  return json;
}

void printGangTable(const std::vector<GangMember>& members, std::FILE* stream) {
  std::size_t width = std::string("Programmer").size();
  for (const GangMember& member : members) width = std::max(width, member.name.size());
  const int nameWidth = static_cast<int>(width);
  std::fprintf(stream, "%-*s  %-6s  %-24s  %s\n", nameWidth, "Programmer", "Result", "U_ID", "Time");
  for (const GangMember& member : members) {
    const std::string uid = member.outcome.figure("uid");
    std::fprintf(stream, "%-*s  %-6s  %-24s  %.2f s\n", nameWidth, escapeInvalidUtf8(member.name).c_str(),
                 resultText(member).c_str(), uid.empty() ? "-" : uid.c_str(), member.seconds);
  }
  std::fflush(stream);
}

}  // namespace kt90
