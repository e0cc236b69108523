// kt90ctl commands that reach a programmer: on a serial port (--port) or on the emulator in
// this process with its state kept in a file (--sim).
#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/Commands.h"
#include "cli/DeviceJson.h"
#include "cli/Gang.h"
#include "cli/Json.h"
#include "cli/SerialPorts.h"
#include "cli/Terminal.h"
#include "core/app/SaveProgramFile.h"
#include "core/app/ShellState.h"
#include "core/base/Encoding.h"
#include "core/base/FileIo.h"
#include "core/programmer/DeviceOperations.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"
#include "sim/Emulator.h"
#include "sim/SimDriver.h"
#include "sim/StateStore.h"

namespace kt90 {

namespace {

// A port this user may not open: the line that tells how to set the driver up.
std::string portPermissionProblem(const std::string& port, const WorkingState& state) {
  const auto path = serialPortDenied(port);
  if (!path) return {};
  return formatText(text(TextId::PortPermissionDeniedCommand, state.language()), path->c_str(),
                    driverSetupScriptPath(state.programDir()).c_str());
}

// One --port or --sim of the command line, in the order given.
struct ProgrammerArg {
  bool sim = false;
  std::string value;
  // Its name in a gang's log lines, table and JSON.
  std::string name() const { return sim ? "sim:" + value : value; }
};

// What a device command was given on its command line.
struct DeviceArgs {
  std::string port;
  std::string simState;
  std::string file;
  std::string chip;
  std::string out;
  std::vector<ProgrammerArg> programmers;

  // The same command for programmer `one` alone.
  DeviceArgs only(const ProgrammerArg& one) const {
    DeviceArgs args = *this;
    args.programmers = {one};
    (one.sim ? args.simState : args.port) = one.value;
    return args;
  }
};

// The one object of a device command: "ok", "state", "error" when it failed, "log" and
// the figures the operation learnt.
Json deviceJson(OperationState state, const std::string& why, const TerminalHost& host,
                const OperationOutcome& outcome) {
  Json json;
  json["ok"] = why.empty();
  json["state"] = stateName(state);
  if (!why.empty()) json["error"] = escapeInvalidUtf8(why);
  json["log"] = logJson(host);
  json.update(figuresJson(outcome));
  return json;
}

// The programmer the command talks to, and what must happen to it afterwards.
class Programmer {
 public:
  // Empty text on success, else why it cannot be reached.
  std::string open(const DeviceArgs& args) {
    if (!args.simState.empty()) {
      // The state file is this process's from before it is read until the command ends.
      emulator_ = std::make_unique<sim::Emulator>();
      store_ = std::make_unique<sim::StateStore>(pathFromUtf8(args.simState));
      if (std::string error = store_->open(*emulator_, sim::stateLockWait()); !error.empty()) return error;
      driver_ = std::make_unique<sim::SimDriver>(*emulator_, std::string(), store_.get());
      port_ = "sim";
      return {};
    }
    driver_ = makeSerialDriver();
    port_ = args.port;
    return driver_ ? std::string() : "this kt90ctl was built without serial ports; use --sim";
  }
  CKT90Driver& driver() { return *driver_; }
  const std::string& port() const { return port_; }
  // Every change was saved as it happened; this says whether one could not be.
  bool save(const DeviceArgs&) {
    if (!store_ || store_->problem().empty()) return true;
    std::fprintf(stderr, "%s\n", store_->problem().c_str());
    return false;
  }

 private:
  std::unique_ptr<sim::Emulator> emulator_;
  std::unique_ptr<sim::StateStore> store_;
  std::unique_ptr<CKT90Driver> driver_;
  std::string port_;
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

// Runs the operation on a prepared session and keeps what it learnt in `outcome`. Returns
// why it failed (what was said last: a log line or a message), empty when it did not;
// throws CommandFailure when it cannot start.
std::string runPrepared(const CommandSpec& spec, const DeviceArgs& args, CliSession& session, SaveType outType,
                        OperationOutcome& outcome) {
  const bool saves = savesOut(spec);
  Programmer programmer;
  // A state file that cannot be used is a failure, not a usage error.
  if (const std::string error = programmer.open(args); !error.empty())
    throw CommandFailure(args.simState.empty() ? kExitUsage : kExitFailed, error);
  if (args.simState.empty()) {
    if (const std::string problem = portPermissionProblem(args.port, session.state()); !problem.empty()) {
      session.state().appendLog(problem);
      throw CommandFailure(kExitFailed, problem.substr(0, problem.find_last_not_of("\r\n ") + 1));
    }
  }

  WorkingState& state = session.state();
  TerminalHost& host = session.host();
  const std::size_t mark = host.saidCount();
  OperationGuard guard;
  outcome = runDeviceOperation(spec.op, state, programmer.driver(), programmer.port(), guard);
  std::string why;
  if (!outcome.started || outcome.finalState == OperationState::Failed) {
    why = host.lastSaidSince(mark);
    if (why.empty()) {
      // A failure the operation did not explain still gets a reason.
      why = std::string(spec.name) + ": no answer from a programmer on " + programmer.port() +
            " (the port cannot be opened, or nothing answered)";
      state.appendLog(why);
    }
  } else if (saves) {
    const std::size_t saveMark = host.saidCount();
    if (!saveProgramFile(state, args.out, outType))
      why = "cannot save " + args.out + ": " + host.lastSaidSince(saveMark);
  }
  if (!programmer.save(args) && why.empty()) why = "cannot save the emulator state to " + args.simState;
  return why;
}

std::string runOnProgrammer(const CommandSpec& spec, const DeviceArgs& args, CliSession& session,
                            OperationOutcome& outcome) {
  return runPrepared(spec, args, session, prepareSession(spec, args, session), outcome);
}

// A download into several programmers at once (Gang.h), each with its own Programmer.
void runGangDownload(const CommandSpec& spec, const DeviceArgs& args, CliOptions& options, int& exitCode) {
  std::vector<std::string> names;
  for (const ProgrammerArg& programmer : args.programmers) {
    if (std::find(names.begin(), names.end(), programmer.name()) != names.end())
      throw CommandFailure(kExitUsage, "download: " + programmer.name() + " is named twice");
    names.push_back(programmer.name());
  }
  if (std::any_of(args.programmers.begin(), args.programmers.end(), [](const ProgrammerArg& p) { return !p.sim; }))
    prepareSerialPorts();
  exitCode = runGangDownload(
      names, options, isTerminal(stderr), [&](CliSession& session) { prepareSession(spec, args, session); },
      [&](std::size_t index, GangMember& member) {
        return runPrepared(spec, args.only(args.programmers[index]), *member.session, SaveType::Project,
                           member.outcome);
      });
}

void runCommand(const CommandSpec& spec, const DeviceArgs& args, CliOptions& options, int& exitCode) {
  CliSession session(options, stdout);
  TerminalHost& host = session.host();
  host.setQuiet(options.json);
  host.setProgressBar(isTerminal(stderr));
  OperationOutcome outcome;
  std::string why;
  exitCode = kExitFailed;
  try {
    why = runOnProgrammer(spec, args, session, outcome);
  } catch (const CommandFailure& failure) {
    why = failure.what();
    exitCode = failure.exitCode();
    if (!options.json) std::fprintf(stderr, "%s\n", escapeInvalidUtf8(why).c_str());
  }
  if (why.empty()) exitCode = kExitOk;
  if (options.json) {
    printJson(deviceJson(why.empty() ? outcome.finalState : OperationState::Failed, why, host, outcome));
  } else if (spec.op == DeviceOperation::QueryUid && why.empty()) {
    std::printf("%s\n", outcome.figure("uid").c_str());
  }
}

void addPortsCommand(CLI::App& app, CliOptions& options, int& exitCode) {
  auto* ports = app.add_subcommand("ports", "List the serial ports a programmer may sit on");
  ports->add_flag("--json", options.json, "Print a JSON object");
  ports->callback([&options, &exitCode] {
    if (!haveSerialPorts()) throw CommandFailure(kExitFailed, "this kt90ctl was built without serial ports; use --sim");
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
            args->programmers.push_back({sim, value});
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
                               "--sim, to download into several programmers at once"
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
      command->footer(gangHelp());
    }
    if (spec.op == DeviceOperation::Upload || spec.op == DeviceOperation::ReadChip) {
      command->add_option("OUT", args->out, "File to save")->required();
    }
    if (spec.op == DeviceOperation::ReadChip) command->add_option("--chip", args->chip, "Chip model in the socket");
    command->add_flag("--json", options.json, "Print one JSON object at the end");
    command->callback([spec, args, &options, &exitCode] {
      if (args->programmers.empty()) throw CLI::RequiredError("--port or --sim");
      if (args->programmers.size() == 1)
        return runCommand(spec, args->only(args->programmers.front()), options, exitCode);
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
