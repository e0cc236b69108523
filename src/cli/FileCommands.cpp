// kt90ctl info, convert and dump: program files opened and saved as the window does.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/ChipJson.h"
#include "cli/Commands.h"
#include "cli/FileUnlock.h"
#include "core/app/ProgramPaths.h"
#include "core/app/SaveProgramFile.h"
#include "core/base/Encoding.h"
#include "core/editors/RollingCodeEditorModel.h"
#include "core/progfile/Crc16.h"
#include "core/progfile/ProtectionInput.h"
#include "core/progfile/UidBinding.h"
#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

struct FileArgs {
  std::string input;
  std::string output;
  std::string chip;
  std::string programLimit;
  std::string rollingCode;
  std::string downloadLimit;
  std::string password;
  std::string unlock;

  bool changesProtection() const {
    return !programLimit.empty() || !downloadLimit.empty() || !password.empty() || !rollingCode.empty();
  }
};

std::string plainLines(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

// Opens the file as Open does; HEX and BIN files carry no chip, so --chip names it.
// Returns whether the file is unlocked (see unlockProgram).
bool openInto(CliSession& session, const FileArgs& args) {
  if (!args.chip.empty()) session.selectChip(args.chip, kExitFailed);
  session.openProgram(args.input);
  return unlockProgram(session, args.unlock, args.input);
}

std::string uidHex(const ProgrammerUid& uid) {
  std::string out;
  for (std::uint8_t b : uid) out += formatText("%02X", b);
  return out;
}

Json rollingCodeJson(const ProgramImage& image) {
  if (!image.rollingCodeOn()) return nullptr;
  const RolCode& rol = image.rolCode;
  const int length = (rol.bytes[0] & 7) + 1;
  Json bytes = Json::array();
  Json addresses = Json::array();
  for (int i = 0; i < length; ++i) {
    bytes.push_back(readU16(&rol.bytes[1 + 2 * i]));
    addresses.push_back(readU16(&rol.bytes[1 + 2 * length + 2 * i]));
  }
  Json json;
  json["length"] = length;
  json["step"] = rol.bytes[1 + 2 * length + 2 * length];
  json["kind"] = rol.bytes[2];
  json["bytes"] = std::move(bytes);
  json["addresses"] = std::move(addresses);
  return json;
}

// Figures only: a protected file's code words never leave through info.
Json infoJson(WorkingState& state) {
  ProgramImage& image = state.image();
  Json json = Json::object();
  json["ok"] = true;
  addImageFields(json, state);
  json["usedWords"] = usedWords(image, state.blankWord());
  json["codeCrc"] = crc16(image.programBytes());
  json["codeRange"] = {image.config.codeRangeFirst(), image.config.codeRangeEnd()};
  json["programLimit"] = image.head.programLimit();
  json["downloadLimit"] = image.protection.downloadLimit;
  json["hasPassword"] = image.protection.hasPassword();
  Json uids = Json::array();
  for (const ProgrammerUid& uid : image.protection.uids) uids.push_back(uidHex(uid));
  json["uids"] = std::move(uids);
  json["rollingCode"] = rollingCodeJson(image);
  return json;
}

// Applies --program-limit, --download-limit and --password; a bad value is a usage error.
void applyProtection(WorkingState& state, const FileArgs& args) {
  ProgramImage& image = state.image();
  if (!args.programLimit.empty()) {
    const auto limit = parseProgramLimit(args.programLimit);
    if (!limit) throw CommandFailure(kExitUsage, "--program-limit must be a number from 0 to 4294967295");
    image.head.setProgramLimit(*limit);
    if (*limit != 0) image.protection.currentTime = currentTimeStamp(std::chrono::system_clock::now());
  }
  if (!args.downloadLimit.empty()) {
    const auto limit = parseDownloadLimit(args.downloadLimit);
    if (!limit) throw CommandFailure(kExitUsage, "--download-limit must be a number from 0 to 255");
    image.protection.downloadLimit = *limit;
  }
  if (!args.password.empty()) {
    if (filterEntryText(args.password, EntryMode::Hexadecimal, 8) != args.password)
      throw CommandFailure(kExitUsage, "--password takes up to 8 hexadecimal digits");
    image.protection.filePassword = passwordFromText(args.password);
  }
}

// What convert could not do as asked, said instead of dropped: a password is stored only
// in a project file with a program limit.
std::vector<std::string> convertWarnings(WorkingState& state, const FileArgs& args, SaveType type) {
  std::vector<std::string> warnings;
  if (args.password.empty() || !state.image().protection.hasPassword()) return warnings;
  if (type != SaveType::Project) {
    warnings.push_back(text(TextId::PasswordNotStoredInCode, state.language()));
  } else if (state.image().head.programLimit() == 0) {
    warnings.push_back(text(TextId::PasswordNotStoredWithoutLimit, state.language()));
  }
  return warnings;
}

// Applies --rolling-code START:STEP:ADDR[,ADDR...] (hexadecimal, as the rolling-code dialog
// takes them; one address per serial byte, RETLW) through the dialog's own checks.
void applyRollingCode(WorkingState& state, const FileArgs& args) {
  if (args.rollingCode.empty()) return;
  const std::string usage = "--rolling-code takes START:STEP:ADDR[,ADDR...] in hexadecimal, 1 to 8 addresses";
  const std::size_t first = args.rollingCode.find(':');
  const std::size_t second = first == std::string::npos ? first : args.rollingCode.find(':', first + 1);
  if (second == std::string::npos) throw CommandFailure(kExitUsage, usage);
  const std::string start = args.rollingCode.substr(0, first);
  RollingCodeEntry entry;
  entry.enabled = true;
  entry.retlwChecked = true;
  entry.step = args.rollingCode.substr(first + 1, second - first - 1);
  std::string addresses = args.rollingCode.substr(second + 1);
  entry.length = 0;
  for (std::size_t at = 0; at <= addresses.size() && entry.length < kRollingMaxColumns;) {
    const std::size_t comma = std::min(addresses.find(',', at), addresses.size());
    entry.address[entry.length++] = addresses.substr(at, comma - at);
    at = comma + 1;
  }
  const bool hex = !start.empty() && start.size() <= 16 && start.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
  if (!hex || entry.step.empty() || entry.length == 0) throw CommandFailure(kExitUsage, usage);
  const std::uint64_t serial = std::stoull(start, nullptr, 16);
  for (int i = 0; i < entry.length; ++i) entry.data[i] = formatText("%02X", static_cast<unsigned>((serial >> (8 * i)) & 0xFF));
  ProgramImage& image = state.image();
  RollingCodeEditorModel model(image.head, image.rolCode);
  if (const auto refusal = model.accept(entry, state.language())) throw CommandFailure(kExitUsage, *refusal);
  model.writeBack(image.head, image.rolCode);
}

void addUnlockOption(CLI::App* command, FileArgs& args) {
  command->add_option("--unlock", args.unlock, "Password of a protected file (8 hexadecimal digits)");
}

}  // namespace

void addFileCommands(CLI::App& app, CliOptions& options, int& exitCode) {
  auto args = std::make_shared<FileArgs>();

  auto* info = app.add_subcommand("info", "Open a program file and print its summary");
  info->add_option("FILE", args->input, "Program file (.vk, .hex, .bin, .pro)")->required();
  info->add_option("--chip", args->chip, "Chip model for .hex and .bin files");
  addUnlockOption(info, *args);
  addJsonFlag(*info, options);
  info->callback([&options, &exitCode, args] {
    CliSession session(options, stderr);
    openInto(session, *args);
    WorkingState& state = session.state();
    state.showImageSummary();
    if (options.json) {
      printJson(infoJson(state));
    } else {
      std::printf("%s\n", plainLines(session.host().summary()).c_str());
    }
    exitCode = kExitOk;
  });

  auto* convert = app.add_subcommand("convert", "Open a program file and save it by OUT's extension");
  convert->footer(protectionHelp());
  convert->add_option("IN", args->input, "Program file to open")->required();
  convert->add_option("OUT", args->output, "File to save: .vk, .hex or .bin")->required();
  convert->add_option("--chip", args->chip, "Chip model for .hex and .bin files");
  convert->add_option("--program-limit", args->programLimit, "Chips the programmer may program (0: no limit)");
  convert->add_option("--download-limit", args->downloadLimit, "Downloads of the file into one programmer");
  convert->add_option("--password", args->password, "Program-file password, up to 8 hexadecimal digits");
  convert->add_option("--rolling-code", args->rollingCode,
                      "Turn the rolling code on: starting serial, step and one program address per serial byte, "
                      "hexadecimal (RETLW)")
      ->type_name("START:STEP:ADDR[,ADDR...]");
  addUnlockOption(convert, *args);
  addJsonFlag(*convert, options);
  convert->callback([&options, &exitCode, args] {
    SaveType type{};
    if (!saveTypeFromExtension(args->output, type))
      throw CommandFailure(kExitUsage, "OUT must end in .vk, .hex or .bin");
    CliSession session(options, stderr);
    const bool unlocked = openInto(session, *args);
    if (!unlocked && (type != SaveType::Project || args->changesProtection()))
      throw CommandFailure(kExitFailed, lockedFileText(args->input));
    applyProtection(session.state(), *args);
    applyRollingCode(session.state(), *args);
    if (!saveProgramFile(session.state(), args->output, type))
      throw CommandFailure(kExitFailed, "cannot save " + args->output);
    const std::vector<std::string> warnings = convertWarnings(session.state(), *args, type);
    if (options.json) {
      Json json = Json::object();
      json["ok"] = true;
      json["file"] = escapeInvalidUtf8(args->output);
      json["warnings"] = warnings;
      printJson(json);
    } else {
      for (const std::string& warning : warnings) std::fprintf(stderr, "%s\n", warning.c_str());
    }
    exitCode = kExitOk;
  });

  auto* dump = app.add_subcommand("dump", "Open a program file and print its code view");
  dump->footer(protectionHelp());
  dump->add_option("FILE", args->input, "Program file (.vk, .hex, .bin, .pro)")->required();
  dump->add_option("--chip", args->chip, "Chip model for .hex and .bin files");
  addUnlockOption(dump, *args);
  addJsonFlag(*dump, options);
  dump->callback([&options, &exitCode, args] {
    CliSession session(options, stderr);
    // A locked file opens in Production mode, whose code view is masked.
    const bool masked = !openInto(session, *args);
    if (masked) {
      std::fprintf(stderr, "%s is protected by a password: its code is masked; --unlock with the password shows it\n",
                   escapeInvalidUtf8(args->input).c_str());
    }
    const std::string code = plainLines(session.host().code());
    if (options.json) {
      Json lines = Json::array();
      for (std::size_t at = 0; at < code.size();) {
        const std::size_t end = std::min(code.find('\n', at), code.size());
        const std::size_t first = code.find_first_not_of("\t ", at);
        const std::size_t last = code.find_last_not_of(' ', end - 1);
        if (first < end && last != std::string::npos && last >= first)
          lines.push_back(code.substr(first, last + 1 - first));
        at = end + 1;
      }
      printJson({{"ok", true}, {"masked", masked}, {"lines", std::move(lines)}});
    } else {
      std::printf("%s\n", code.c_str());
    }
    exitCode = kExitOk;
  });
}

}  // namespace kt90
