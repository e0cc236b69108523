// kt90ctl commands that reach a programmer: on a serial port (--port) or on the emulator in
// this process with its state kept in a file (--sim).
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <set>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/SaveProgramFile.h"
#include "core/base/FileIo.h"
#include "core/programmer/DeviceOperations.h"
#include "sim/Emulator.h"
#include "sim/SimDriver.h"
#include "sim/StateStore.h"

#if KT90_HAVE_SERIAL
#include <QCoreApplication>

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
#else
constexpr bool kHaveSerial = false;
std::unique_ptr<CKT90Driver> makeSerialDriver() { return nullptr; }
std::vector<std::pair<std::string, std::string>> serialPorts() { return {}; }
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

void printJson(bool ok, OperationState state, const TerminalHost& host, const OperationOutcome& outcome) {
  std::string out = "{\"ok\":" + std::string(ok ? "true" : "false") + ",\"state\":" + jsonQuote(stateName(state));
  out += ",\"log\":[";
  for (std::size_t i = 0; i < host.logLines().size(); ++i) {
    std::string line = host.logLines()[i];
    while (!line.empty() && line.back() == '\n') line.pop_back();
    out += (i ? "," : "") + jsonQuote(line);
  }
  out += "]";
  for (const auto& [name, value] : outcome.figures) {
    out += "," + jsonQuote(name) + ":" + (kNumericFigures.count(name) ? value : jsonQuote(value));
  }
  std::printf("%s}\n", out.c_str());
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
bool loadProgram(CliSession& session, const DeviceArgs& args, int& exitCode) {
  WorkingState& state = session.state();
  const std::string extension = fileExtension(args.file);
  if (extension == "hex" || extension == "bin") {
    const std::string model = args.chip.empty() && !state.chipList().empty() ? state.chipList().front() : args.chip;
    if (!session.selectChip(model)) {
      exitCode = kExitUsage;
      return false;
    }
  }
  if (openProgramFile(state, args.file)) return true;
  exitCode = kExitFailed;
  return false;
}

struct CommandSpec {
  const char* name;
  const char* help;
  DeviceOperation op;
};

void runCommand(const CommandSpec& spec, const DeviceArgs& args, CliOptions& options, int& exitCode) {
  SaveType outType = SaveType::Project;
  const bool saves = spec.op == DeviceOperation::Upload || spec.op == DeviceOperation::ReadChip;
  if (saves && (!saveTypeFromExtension(args.out, outType) ||
                (spec.op == DeviceOperation::ReadChip && outType == SaveType::Project))) {
    std::fprintf(stderr, "%s: OUT must end in %s\n", spec.name,
                 spec.op == DeviceOperation::Upload ? ".vk, .hex or .bin" : ".hex or .bin");
    exitCode = kExitUsage;
    return;
  }
  CliSession session(options, stdout);
  TerminalHost& host = session.host();
  host.setQuiet(options.json);
  host.setProgressBar(::isatty(::fileno(stderr)) != 0);
  if (spec.op == DeviceOperation::ReadChip && !args.chip.empty() && !session.selectChip(args.chip)) {
    exitCode = kExitUsage;
    return;
  }
  if (spec.op == DeviceOperation::Download && !loadProgram(session, args, exitCode)) {
    if (options.json) printJson(false, OperationState::Failed, host, {});
    return;
  }
  Programmer programmer;
  if (const std::string error = programmer.open(args); !error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    exitCode = args.simState.empty() ? kExitUsage : kExitFailed;
    return;
  }

  OperationGuard guard;
  const OperationOutcome outcome =
      runDeviceOperation(spec.op, session.state(), programmer.driver(), programmer.port(), guard);
  bool ok = outcome.started && outcome.finalState != OperationState::Failed;
  if (ok && saves) ok = saveProgramFile(session.state(), args.out, outType);
  if (!programmer.save(args)) ok = false;
  if (options.json) {
    printJson(ok, ok ? outcome.finalState : OperationState::Failed, host, outcome);
  } else if (spec.op == DeviceOperation::QueryUid && ok) {
    std::printf("%s\n", outcome.figure("uid").c_str());
  }
  exitCode = ok ? kExitOk : kExitFailed;
}

void addPortsCommand(CLI::App& app, CliOptions& options, int& exitCode) {
  auto* ports = app.add_subcommand("ports", "List the serial ports a programmer may sit on");
  ports->add_flag("--json", options.json, "Print a JSON object");
  ports->callback([&options, &exitCode] {
    if (!kHaveSerial) {
      std::fprintf(stderr, "this kt90ctl was built without serial ports; use --sim\n");
      exitCode = kExitFailed;
      return;
    }
    const auto list = serialPorts();
    if (options.json) {
      JsonWriter json;
      json.beginObject().key("ok").value(true).key("ports").beginArray();
      for (const auto& [name, friendly] : list)
        json.beginObject().key("port").value(name).key("name").value(friendly).endObject();
      json.endArray().endObject();
      std::printf("%s\n", json.str().c_str());
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
