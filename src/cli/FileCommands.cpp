// kt90ctl info, convert and dump: program files opened and saved as the window does.
#include <chrono>
#include <cstdio>
#include <memory>

#include "cli/ChipJson.h"
#include "cli/Commands.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/ProgramPaths.h"
#include "core/app/SaveProgramFile.h"
#include "core/progfile/Crc16.h"
#include "core/progfile/ProtectionInput.h"
#include "core/progfile/UidBinding.h"
#include "core/text/Format.h"

namespace kt90 {
namespace {

struct FileArgs {
  std::string input;
  std::string output;
  std::string chip;
  std::string programLimit;
  std::string downloadLimit;
  std::string password;
};

std::string plainLines(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

// Opens the file as Open does; HEX and BIN files carry no chip, so --chip names it.
bool openInto(CliSession& session, const FileArgs& args) {
  if (!args.chip.empty() && !session.selectChip(args.chip)) return false;
  if (!openProgramFile(session.state(), args.input)) {
    std::fprintf(stderr, "cannot load %s\n", args.input.c_str());
    return false;
  }
  return true;
}

std::string uidHex(const ProgrammerUid& uid) {
  std::string out;
  for (std::uint8_t b : uid) out += formatText("%02X", b);
  return out;
}

std::string infoJson(WorkingState& state) {
  ProgramImage& image = state.image();
  JsonWriter json;
  json.beginObject();
  writeImageFields(json, state);
  json.key("usedWords").value(std::int64_t{usedWords(image, state.blankWord())});
  json.key("codeCrc").value(std::int64_t{crc16(image.programBytes())});
  json.key("codeRange").beginArray();
  json.value(std::int64_t{image.config.codeRangeFirst()}).value(std::int64_t{image.config.codeRangeEnd()});
  json.endArray();
  json.key("programLimit").value(std::int64_t{image.head.programLimit()});
  json.key("downloadLimit").value(std::int64_t{image.protection.downloadLimit});
  json.key("hasPassword").value(image.protection.hasPassword());
  json.key("uids").beginArray();
  for (const ProgrammerUid& uid : image.protection.uids) json.value(uidHex(uid));
  json.endArray();
  json.key("rollingCode");
  if (image.rollingCodeOn()) {
    const RolCode& rol = image.rolCode;
    const int length = (rol.bytes[0] & 7) + 1;
    json.beginObject();
    json.key("length").value(std::int64_t{length});
    json.key("step").value(std::int64_t{rol.bytes[1 + 2 * length + 2 * length]});
    json.key("kind").value(std::int64_t{rol.bytes[2]});
    json.key("bytes").beginArray();
    for (int i = 0; i < length; ++i) json.value(std::int64_t{readU16(&rol.bytes[1 + 2 * i])});
    json.endArray();
    json.key("addresses").beginArray();
    for (int i = 0; i < length; ++i) json.value(std::int64_t{readU16(&rol.bytes[1 + 2 * length + 2 * i])});
    json.endArray();
    json.endObject();
  } else {
    json.null();
  }
  json.endObject();
  return json.str();
}

// Applies --program-limit, --download-limit and --password; false on a bad value.
bool applyProtection(WorkingState& state, const FileArgs& args) {
  ProgramImage& image = state.image();
  if (!args.programLimit.empty()) {
    const auto limit = parseProgramLimit(args.programLimit);
    if (!limit) {
      std::fprintf(stderr, "--program-limit must be a number from 0 to 4294967295\n");
      return false;
    }
    image.head.setProgramLimit(*limit);
    if (*limit != 0) image.protection.currentTime = currentTimeStamp(std::chrono::system_clock::now());
  }
  if (!args.downloadLimit.empty()) {
    const auto limit = parseDownloadLimit(args.downloadLimit);
    if (!limit) {
      std::fprintf(stderr, "--download-limit must be a number from 0 to 255\n");
      return false;
    }
    image.protection.downloadLimit = *limit;
  }
  if (!args.password.empty()) {
    if (filterEntryText(args.password, EntryMode::Hexadecimal, 8) != args.password) {
      std::fprintf(stderr, "--password takes up to 8 hexadecimal digits\n");
      return false;
    }
    image.protection.filePassword = passwordFromText(args.password);
  }
  return true;
}

}  // namespace

void addFileCommands(CLI::App& app, CliOptions& options, int& exitCode) {
  auto args = std::make_shared<FileArgs>();

  auto* info = app.add_subcommand("info", "Open a program file and print its summary");
  info->add_option("FILE", args->input, "Program file (.vk, .hex, .bin, .pro)")->required();
  info->add_option("--chip", args->chip, "Chip model for .hex and .bin files");
  info->add_flag("--json", options.json, "Print a JSON object");
  info->callback([&options, &exitCode, args] {
    CliSession session(options, stderr);
    if (!openInto(session, *args)) {
      exitCode = kExitFailed;
      return;
    }
    WorkingState& state = session.state();
    state.showImageSummary();
    std::printf("%s\n", options.json ? infoJson(state).c_str() : plainLines(session.host().summary()).c_str());
    exitCode = kExitOk;
  });

  auto* convert = app.add_subcommand("convert", "Open a program file and save it by OUT's extension");
  convert->add_option("IN", args->input, "Program file to open")->required();
  convert->add_option("OUT", args->output, "File to save: .vk, .hex or .bin")->required();
  convert->add_option("--chip", args->chip, "Chip model for .hex and .bin files");
  convert->add_option("--program-limit", args->programLimit, "Chips the programmer may program (0: no limit)");
  convert->add_option("--download-limit", args->downloadLimit, "Downloads of the file into one programmer");
  convert->add_option("--password", args->password, "Program-file password, up to 8 hexadecimal digits");
  convert->callback([&options, &exitCode, args] {
    SaveType type{};
    if (!saveTypeFromExtension(args->output, type)) {
      std::fprintf(stderr, "OUT must end in .vk, .hex or .bin\n");
      exitCode = kExitUsage;
      return;
    }
    CliSession session(options, stderr);
    if (!openInto(session, *args)) {
      exitCode = kExitFailed;
      return;
    }
    if (!applyProtection(session.state(), *args)) {
      exitCode = kExitUsage;
      return;
    }
    if (!saveProgramFile(session.state(), args->output, type)) {
      std::fprintf(stderr, "cannot save %s\n", args->output.c_str());
      exitCode = kExitFailed;
      return;
    }
    exitCode = kExitOk;
  });

  auto* dump = app.add_subcommand("dump", "Open a program file and print its code view");
  dump->add_option("FILE", args->input, "Program file (.vk, .hex, .bin, .pro)")->required();
  dump->add_option("--chip", args->chip, "Chip model for .hex and .bin files");
  dump->callback([&options, &exitCode, args] {
    CliSession session(options, stderr);
    if (!openInto(session, *args)) {
      exitCode = kExitFailed;
      return;
    }
    std::printf("%s\n", plainLines(session.host().code()).c_str());
    exitCode = kExitOk;
  });
}

}  // namespace kt90
