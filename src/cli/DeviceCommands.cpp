// kt90ctl commands that reach a programmer: on a serial port (--port) or on the emulator in
// this process with its state kept in a file (--sim).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#include "cli/Commands.h"
#include "cli/DeviceJson.h"
#include "cli/Gang.h"
#include "cli/Json.h"
#include "cli/Terminal.h"
#include "connect/ProgrammerConnection.h"
#include "connect/SerialPorts.h"
#include "core/app/SaveProgramFile.h"
#include "core/app/ShellState.h"
#include "core/base/Encoding.h"
#include "core/base/FileIdentity.h"
#include "core/base/FileIo.h"
#include "core/journal/JournalStore.h"
#include "core/programmer/DeviceOperations.h"
#include "core/programmer/ProgramToWrite.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {

namespace {

// What a device command was given on its command line.
struct DeviceArgs {
  std::string file;
  std::string chip;
  std::string out;
  std::optional<std::uint64_t> serials;
  std::vector<ProgrammerTarget> programmers;
  bool allowDowngrade = false;
};

// The line that tells how to set up a serial port this user may not open.
std::function<std::string()> portProblem(const ProgrammerConnection& connection, const WorkingState& state) {
  return [&connection, &state] {
    const auto path = connection.deniedPath();
    if (!path) return std::string();
    return formatText(text(TextId::PortPermissionDeniedCommand, state.language()), path->c_str(),
                      driverSetupScriptPath(state.programDir()).c_str());
  };
}

// What the operation takes from the loaded project, and what every programmer of one
// download shares: the file as the journal names it, whether each saves the project file,
// and the serials a stand-alone programmer takes.
struct OperationPlan {
  ProgramToWrite program;
  std::string programFile;
  bool saveProjectFile = true;
  std::optional<std::uint64_t> serialCount;
};

// Loads FILE for a download: a HEX or BIN file takes --chip (else the first chip).
void loadProgram(CliSession& session, const DeviceArgs& args) {
  WorkingState& state = session.state();
  const std::string extension = fileExtension(args.file);
  if (extension == "hex" || extension == "bin") {
    const std::string model = args.chip.empty() && !state.chipList().empty() ? state.chipList().front() : args.chip;
    session.selectChip(model, kExitUsage);
  }
  session.openProgram(args.file);
}

struct CommandSpec {
  const char* name;
  const char* help;
  DeviceOperation op;
};

bool savesOut(const CommandSpec& spec) {
  return spec.op == DeviceOperation::Upload || spec.op == DeviceOperation::ReadChip;
}

// What comes before the programmer is reached: OUT checked, the chip selected, FILE
// loaded. Throws CommandFailure when the command cannot go on.
SaveType prepareSession(const CommandSpec& spec, const DeviceArgs& args, CliSession& session) {
  SaveType outType = SaveType::Project;
  if (savesOut(spec) && (!saveTypeFromExtension(args.out, outType) ||
                         (spec.op == DeviceOperation::ReadChip && outType == SaveType::Project))) {
    throw CommandFailure(kExitUsage, std::string(spec.name) + ": OUT must end in " +
                                         (spec.op == DeviceOperation::Upload ? ".vk, .hex or .bin" : ".hex or .bin"));
  }
  if (spec.op == DeviceOperation::ReadChip && !args.chip.empty()) session.selectChip(args.chip, kExitUsage);
  if (spec.op == DeviceOperation::Download) loadProgram(session, args);
  return outType;
}

// The operation's plan from the session as prepared. A download's: a rolling code without
// a program limit needs --serials (a debugger-type programmer takes one serial whatever it
// says), and a gang needs the journal to keep its programmers' serials apart. Throws
// CommandFailure(2) before any programmer is touched.
OperationPlan planOperation(const CommandSpec& spec, const DeviceArgs& args, CliSession& session, bool journalOn) {
  OperationPlan plan;
  plan.program = programToWrite(session.state());
  if (spec.op != DeviceOperation::Download) return plan;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(args.file), error);
  plan.programFile = pathToUtf8(error ? pathFromUtf8(args.file) : absolute);
  plan.saveProjectFile = args.programmers.size() == 1;
  plan.serialCount = args.serials;
  const ProgramImage& image = plan.program.image;
  if (!image.rollingCodeOn()) return plan;
  if (!journalOn && args.programmers.size() > 1) {
    throw CommandFailure(kExitUsage,
                         "download: the rolling code is on and the journal is off: a gang's programmers would hand "
                         "out the same serials; download into one programmer, or turn the journal on");
  }
  if (journalOn && image.head.programLimit() == 0 && !args.serials) {
    throw CommandFailure(kExitUsage,
                         "download: the rolling code is on and the file has no program limit: give --serials N, the "
                         "serials to reserve for each stand-alone programmer (a debugger-type one takes one)");
  }
  return plan;
}

// Runs the operation on a prepared session and keeps what it learnt in `outcome`. Returns
// why it failed (what was said last: a log line or a message), empty when it did not;
// throws CommandFailure when it cannot start.
std::string runPrepared(const CommandSpec& spec, const DeviceArgs& args, const ProgrammerTarget& target,
                        const OperationPlan& plan, CliSession& session, SaveType outType, OperationOutcome& outcome) {
  const bool emulated = target.kind == ProgrammerTarget::Kind::Emulator;
  if (!emulated && !haveSerialPorts())
    throw CommandFailure(kExitUsage, "this kt90ctl was built without serial ports; use --sim");
  // The state file is this process's from before it is read until the command ends; one
  // that cannot be used is a failure, not a usage error.
  ConnectionOpen opened = openProgrammer(target, true);
  if (!opened.connection) throw CommandFailure(emulated ? kExitFailed : kExitUsage, opened.error);
  ProgrammerConnection& connection = *opened.connection;

  WorkingState& state = session.state();
  TerminalHost& host = session.host();
  OperationRequest request = connection.request(spec.op, plan.program);
  request.portProblem = portProblem(connection, state);
  if (spec.op == DeviceOperation::Download) {
    request.programFile = plan.programFile;
    request.saveProjectFile = plan.saveProjectFile;
    request.serialCount = plan.serialCount;
    request.serialLedger = state.journal();
  }
  const std::size_t mark = host.saidCount();
  OperationGuard guard;
  request.firmware = args.allowDowngrade ? FirmwareConsent::AllowDowngrade : FirmwareConsent::RefuseDowngrade;
  outcome = runDeviceOperation(request, state, connection.driver(), guard);
  std::string why;
  if (!outcome.started || outcome.finalState == OperationState::Failed) {
    why = host.lastSaidSince(mark);
    if (why.empty()) {
      // A failure the operation did not explain still gets a reason.
      why = std::string(spec.name) + ": no answer from a programmer on " + target.name() +
            " (the port cannot be opened, or nothing answered)";
      state.appendLog(why);
    }
  } else if (savesOut(spec)) {
    const std::size_t saveMark = host.saidCount();
    if (!saveProgramFile(state, args.out, outType))
      why = "cannot save " + args.out + ": " + host.lastSaidSince(saveMark);
  }
  // Every change was saved as it happened; say whether one could not be.
  if (const std::string problem = connection.stateProblem(); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    if (why.empty()) why = "cannot save the emulator state to " + target.location;
  }
  return why;
}

// A download into several programmers at once (Gang.h), each with its own connection.
void runGangDownload(const CommandSpec& spec, const DeviceArgs& args, CliOptions& options, int& exitCode) {
  std::vector<std::string> names;
  for (const ProgrammerTarget& programmer : args.programmers) {
    // Two spellings of one port or state file are one programmer, named twice.
    for (const ProgrammerTarget& earlier : args.programmers) {
      if (&earlier == &programmer) break;
      if (earlier.name() == programmer.name())
        throw CommandFailure(kExitUsage, "download: " + programmer.name() + " is named twice");
      if (sameFile(pathFromUtf8(earlier.location), pathFromUtf8(programmer.location)))
        throw CommandFailure(kExitUsage,
                             "download: " + earlier.name() + " and " + programmer.name() + " are the same programmer");
    }
    names.push_back(programmer.name());
  }
  if (std::any_of(args.programmers.begin(), args.programmers.end(),
                  [](const ProgrammerTarget& p) { return p.kind == ProgrammerTarget::Kind::Serial; }))
    prepareSerialPorts();
  OperationPlan plan;
  exitCode = runGangDownload(
      names, options, isTerminal(stderr),
      [&](CliSession& project) {
        prepareSession(spec, args, project);
        plan = planOperation(spec, args, project, journalPath(options).has_value());
      },
      [&](std::size_t index, GangMember& member) {
        return runPrepared(spec, args, args.programmers[index], plan, *member.session, SaveType::Project,
                           member.outcome);
      });
}

void runCommand(const CommandSpec& spec, const DeviceArgs& args, CliOptions& options, int& exitCode) {
  CliSession session(options, stdout);
  TerminalHost& host = session.host();
  host.setQuiet(options.json);
  host.setProgressBar(isTerminal(stderr));
  const ProgrammerTarget& target = args.programmers.front();
  OperationOutcome outcome;
  std::string why;
  exitCode = kExitFailed;
  try {
    const SaveType outType = prepareSession(spec, args, session);
    const OperationPlan plan = planOperation(spec, args, session, journalPath(options).has_value());
    why = runPrepared(spec, args, target, plan, session, outType, outcome);
  } catch (const CommandFailure& failure) {
    why = failure.what();
    exitCode = failure.exitCode();
    if (!options.json) std::fprintf(stderr, "%s\n", escapeInvalidUtf8(why).c_str());
  }
  if (why.empty()) exitCode = kExitOk;
  if (options.json) {
    const OperationState state = why.empty() ? outcome.finalState : OperationState::Failed;
    // The keys of one programmer stay at the top; "programmers" has the shape of a gang's.
    Json json;
    json["ok"] = why.empty();
    json["state"] = stateName(state);
    if (!why.empty()) json["error"] = escapeInvalidUtf8(why);
    json["log"] = logJson(host);
    json.update(outcomeJson(outcome));
    json["programmers"] = Json::array({programmerJson(target.name(), state, why, host, outcome)});
    printJson(json);
  } else if (spec.op == DeviceOperation::QueryUid && why.empty()) {
    std::printf("%s\n", outcome.uid.c_str());
  }
}

void addPortsCommand(CLI::App& app, CliOptions& options, int& exitCode) {
  auto* ports = app.add_subcommand("ports", "List the serial ports a programmer may sit on");
  addJsonFlag(*ports, options);
  ports->callback([&options, &exitCode] {
    if (!haveSerialPorts())
      throw CommandFailure(kExitFailed, "this kt90ctl was built without serial ports; use --sim");
    const auto list = listSerialPorts();
    if (options.json) {
      Json json;
      json["ok"] = true;
      json["ports"] = Json::array();
      for (const SerialPortListing& port : list) {
        Json entry{{"port", port.port}, {"name", port.name}};
        if (port.vendorId && port.productId) {
          entry["vendorId"] = *port.vendorId;
          entry["productId"] = *port.productId;
        }
        json["ports"].push_back(entry);
      }
      printJson(json);
    } else {
      for (const SerialPortListing& port : list) std::printf("%s\t%s\n", port.port.c_str(), port.name.c_str());
    }
    exitCode = kExitOk;
  });
}

// --port or --sim: every use adds a programmer, in the order given.
void addProgrammerOption(CLI::App& command, const std::shared_ptr<DeviceArgs>& args, bool sim,
                         const std::string& help) {
  command
      .add_option_function<std::string>(
          sim ? "--sim" : "--port",
          [args, sim](const std::string& value) {
            args->programmers.push_back({sim ? ProgrammerTarget::Kind::Emulator : ProgrammerTarget::Kind::Serial, value});
          },
          help)
      ->type_name(sim ? "STATEFILE" : "PORT")
      ->trigger_on_parse();
}

}  // namespace

void addDeviceCommands(CLI::App& app, CliOptions& options, int& exitCode) {
  addPortsCommand(app, options, exitCode);
  static const CommandSpec kCommands[] = {
      {"download", "Download FILE into the programmer", DeviceOperation::Download},
      {"upload", "Upload the stored program and save it as OUT (.vk, .hex or .bin)", DeviceOperation::Upload},
      {"read", "Read the chip in the socket and save its code as OUT (.hex or .bin)", DeviceOperation::ReadChip},
      {"hwtest", "Run the programmer's self-tests (HwTest.ini selects them)", DeviceOperation::HardwareTest},
      {"stats", "Show the production counters and the yield", DeviceOperation::Statistics},
      {"update-firmware", "Replace the programmer's firmware with the image for its version",
       DeviceOperation::UpdateFirmware},
      {"uid", "Print the programmer's U_ID", DeviceOperation::QueryUid},
  };
  for (const CommandSpec& spec : kCommands) {
    auto* command = app.add_subcommand(spec.name, spec.help);
    auto args = std::make_shared<DeviceArgs>();
    const bool gang = spec.op == DeviceOperation::Download;
    addProgrammerOption(*command, args, false,
                        gang ? "Serial port of a programmer (COM3, /dev/ttyACM0, a pty); repeat it, or mix it with "
                               "--sim, to download into several programmers at once (each once: another spelling "
                               "or a link of the same port or state file is wrong usage)"
                             : "Serial port of the programmer (COM3, /dev/ttyACM0, a pty)");
    addProgrammerOption(
        *command, args, true,
        gang ? "Use an emulated programmer with its state in STATEFILE (locked while in use); may be repeated as --port"
             : "Use the emulated programmer with its state in STATEFILE (locked while in use)");
    if (gang) {
      command->add_option("FILE", args->file, "Program file (.vk, .hex, .bin, .pro)")
          ->required()
          ->check(CLI::ExistingFile);
      command->add_option("--chip", args->chip, "Chip model of a .hex or .bin file (default: the first chip)");
      command
          ->add_option("--serials", args->serials,
                       "Serials to reserve for each stand-alone programmer when FILE has the rolling code on and no "
                       "program limit (a debugger-type programmer takes one)")
          ->check(CLI::Range(std::uint64_t{1}, std::numeric_limits<std::uint64_t>::max()));
      command->footer(gangHelp());
    }
    if (spec.op == DeviceOperation::Upload || spec.op == DeviceOperation::ReadChip) {
      command->add_option("OUT", args->out, "File to save")->required();
    }
    if (spec.op == DeviceOperation::ReadChip) command->add_option("--chip", args->chip, "Chip model in the socket");
    if (spec.op == DeviceOperation::UpdateFirmware) {
      command->add_flag("--allow-downgrade", args->allowDowngrade,
                        "Install the image also when it is older than the programmer's firmware");
      command->footer(
          "The log names the programmer's firmware version and the image's. An image older than the\n"
          "programmer's firmware is refused (exit 1, the programmer untouched) unless --allow-downgrade is given.");
    }
    addJsonFlag(*command, options);
    command->callback([spec, args, &options, &exitCode] {
      if (args->programmers.empty()) throw CLI::RequiredError("--port or --sim");
      if (args->programmers.size() == 1) return runCommand(spec, *args, options, exitCode);
      if (spec.op != DeviceOperation::Download) {
        throw CommandFailure(kExitUsage, std::string(spec.name) +
                                             " reaches one programmer: give --port or --sim once (only download "
                                             "takes several)");
      }
      runGangDownload(spec, *args, options, exitCode);
    });
  }
}

}  // namespace kt90
