// kt90ctl commands that reach a programmer: on a serial port (--port) or on the emulator in
// this process with its state kept in a file (--sim).
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <set>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "core/app/SaveProgramFile.h"
#include "core/app/ShellState.h"
#include "core/base/Encoding.h"
#include "core/base/FileIo.h"
#include "core/programmer/DeviceOperations.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"
#include "sim/Emulator.h"
#include "sim/SimDriver.h"
#include "sim/StateFile.h"

#if KT90_HAVE_SERIAL
#include <QCoreApplication>

#include "link/PortAccess.h"
#include "link/PortList.h"
#include "link/SerialDriver.h"
#endif

namespace kt90 {

namespace {

#if KT90_HAVE_SERIAL
constexpr bool kHaveSerial = true;
// Serial ports want a Qt application object in the process.
void ensureQtApplication() {
  static int argc = 1;
  static char name[] = "kt90ctl";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) static QCoreApplication app(argc, argv);
}
std::unique_ptr<CKT90Driver> makeSerialDriver() {
  ensureQtApplication();
  return std::make_unique<link::SerialDriver>();
}
std::vector<std::pair<std::string, std::string>> serialPorts() {
  ensureQtApplication();
  std::vector<std::pair<std::string, std::string>> ports;
  for (const link::SerialPortEntry& entry : link::programmerPorts())
    ports.emplace_back(entry.portName, entry.friendlyName());
  return ports;
}
// A port this user may not open: the line that tells how to set the driver up.
std::string portPermissionProblem(const std::string& port, const WorkingState& state) {
  const auto path = link::portDeniedToUser(port);
  if (!path) return {};
  return formatText(text(TextId::PortPermissionDeniedCommand, state.language()), path->c_str(),
                    driverSetupScriptPath(state.programDir()).c_str());
}
#else
constexpr bool kHaveSerial = false;
std::unique_ptr<CKT90Driver> makeSerialDriver() { return nullptr; }
std::vector<std::pair<std::string, std::string>> serialPorts() { return {}; }
std::string portPermissionProblem(const std::string&, const WorkingState&) { return {}; }
#endif

const std::set<std::string> kNumericFigures = {"total", "successes", "yield", "resultCode"};

// What a device command was given on its command line.
struct DeviceArgs {
  std::string port;
  std::string simState;
  std::string file;
  std::string chip;
  std::string out;
};

const char* stateName(OperationState state) {
  switch (state) {
    case OperationState::Passed:
      return "Passed";
    case OperationState::Ready:
      return "Ready";
    default:
      return "Failed";
  }
}

// A figure as the object holds it: the counters, the yield and the result code as numbers.
Json figureJson(const std::string& name, const std::string& value) {
  if (kNumericFigures.count(name) != 0) {
    Json number = Json::parse(value, nullptr, false);
    if (number.is_number()) return number;
  }
  return value;
}

// The one object of a device command: "ok", "state", "error" when it failed, "log" and
// the figures the operation learnt.
Json deviceJson(OperationState state, const std::string& why, const TerminalHost& host,
                const OperationOutcome& outcome) {
  Json json;
  json["ok"] = why.empty();
  json["state"] = stateName(state);
  if (!why.empty()) json["error"] = escapeInvalidUtf8(why);
  Json log = Json::array();
  for (std::string line : host.logLines()) {
    while (!line.empty() && line.back() == '\n') line.pop_back();
    log.push_back(std::move(line));
  }
  json["log"] = std::move(log);
  for (const auto& [name, value] : outcome.figures) json[name] = figureJson(name, value);
  return json;
}

// The programmer the command talks to, and what must happen to it afterwards.
class Programmer {
 public:
  // Empty text on success, else why it cannot be reached.
  std::string open(const DeviceArgs& args) {
    if (!args.simState.empty()) {
      emulator_ = std::make_unique<sim::Emulator>();
      const auto path = pathFromUtf8(args.simState);
      if (fileExists(path)) {
        if (std::string error = sim::loadStateFile(path, *emulator_); !error.empty())
          return args.simState + ": " + error;
      }
      driver_ = std::make_unique<sim::SimDriver>(*emulator_);
      port_ = "sim";
      return {};
    }
    driver_ = makeSerialDriver();
    port_ = args.port;
    return driver_ ? std::string() : "this kt90ctl was built without serial ports; use --sim";
  }
  CKT90Driver& driver() { return *driver_; }
  const std::string& port() const { return port_; }
  bool save(const DeviceArgs& args) {
    if (!emulator_) return true;
    if (sim::saveStateFile(*emulator_, pathFromUtf8(args.simState))) return true;
    std::fprintf(stderr, "cannot save the emulator state to %s\n", args.simState.c_str());
    return false;
  }

 private:
  std::unique_ptr<sim::Emulator> emulator_;
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

// Runs the operation and keeps what it learnt in `outcome`. Returns why it failed (what was
// said last: a log line or a message), empty when it did not; throws CommandFailure when it
// cannot start.
std::string runOnProgrammer(const CommandSpec& spec, const DeviceArgs& args, CliSession& session,
                            OperationOutcome& outcome) {
  SaveType outType = SaveType::Project;
  const bool saves = spec.op == DeviceOperation::Upload || spec.op == DeviceOperation::ReadChip;
  if (saves && (!saveTypeFromExtension(args.out, outType) ||
                (spec.op == DeviceOperation::ReadChip && outType == SaveType::Project))) {
    throw CommandFailure(kExitUsage, std::string(spec.name) + ": OUT must end in " +
                                         (spec.op == DeviceOperation::Upload ? ".vk, .hex or .bin" : ".hex or .bin"));
  }
  if (spec.op == DeviceOperation::ReadChip && !args.chip.empty()) session.selectChip(args.chip, kExitUsage);
  if (spec.op == DeviceOperation::Download) loadProgram(session, args);
  Programmer programmer;
  if (const std::string error = programmer.open(args); !error.empty()) throw CommandFailure(kExitUsage, error);
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

void runCommand(const CommandSpec& spec, const DeviceArgs& args, CliOptions& options, int& exitCode) {
  CliSession session(options, stdout);
  TerminalHost& host = session.host();
  host.setQuiet(options.json);
  host.setProgressBar(::isatty(::fileno(stderr)) != 0);
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
    if (!kHaveSerial) throw CommandFailure(kExitFailed, "this kt90ctl was built without serial ports; use --sim");
    const auto list = serialPorts();
    if (options.json) {
      Json json;
      json["ok"] = true;
      json["ports"] = Json::array();
      for (const auto& [name, friendly] : list) json["ports"].push_back({{"port", name}, {"name", friendly}});
      printJson(json);
    } else {
      for (const auto& [name, friendly] : list) std::printf("%s\t%s\n", name.c_str(), friendly.c_str());
    }
    exitCode = kExitOk;
  });
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
    auto* port = command->add_option("--port", args->port, "Serial port of the programmer (COM3, /dev/ttyACM0, a pty)");
    auto* sim = command->add_option("--sim", args->simState, "Use the emulated programmer with its state in STATEFILE");
    port->excludes(sim);
    if (spec.op == DeviceOperation::Download) {
      command->add_option("FILE", args->file, "Program file (.vk, .hex, .bin, .pro)")
          ->required()
          ->check(CLI::ExistingFile);
      command->add_option("--chip", args->chip, "Chip model of a .hex or .bin file (default: the first chip)");
    }
    if (spec.op == DeviceOperation::Upload || spec.op == DeviceOperation::ReadChip) {
      command->add_option("OUT", args->out, "File to save")->required();
    }
    if (spec.op == DeviceOperation::ReadChip) command->add_option("--chip", args->chip, "Chip model in the socket");
    command->add_flag("--json", options.json, "Print one JSON object at the end");
    command->callback([spec, args, &options, &exitCode] {
      if (args->port.empty() && args->simState.empty()) throw CLI::RequiredError("--port or --sim");
      runCommand(spec, *args, options, exitCode);
    });
  }
}

}  // namespace kt90
