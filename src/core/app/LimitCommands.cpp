#include "core/app/LimitCommands.h"

#include "core/progfile/ProtectionInput.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

constexpr int kProgramLimitChars = 10;
constexpr int kDownloadLimitChars = 3;
constexpr int kPasswordChars = 8;

std::optional<std::string> ask(WorkingState& state, TextId prompt, std::string initial, int maxChars, bool hex) {
  Host::EntryRequest request;
  request.prompt = text(prompt, state.language());
  request.initial = std::move(initial);
  request.maxChars = maxChars;
  request.hexadecimal = hex;
  std::string typed;
  if (!state.host().editText(request, typed)) return std::nullopt;
  return typed;
}

void tell(WorkingState& state, TextId message) {
  state.host().messageBox(text(message, state.language()), MessageButtons::Ok);
}

// A project file without a program limit is written plain, and a plain file has no place
// for a password: say so rather than lose it silently at the next save.
void warnIfPasswordDropped(WorkingState& state) {
  const ProgramImage& image = state.image();
  if (image.protection.hasPassword() && image.head.programLimit() == 0) tell(state, TextId::PasswordNeedsProgramLimit);
}

}  // namespace

bool setProgramFileTimes(WorkingState& state, std::chrono::system_clock::time_point now) {
  ProgramImage& image = state.image();
  const auto typed =
      ask(state, TextId::ProgramLimitPrompt, std::to_string(image.head.programLimit()), kProgramLimitChars, false);
  if (!typed) return false;
  const auto limit = parseProgramLimit(*typed);
  if (!limit) {
    tell(state, TextId::ProgramLimitTooLarge);
    return false;
  }
  image.head.setProgramLimit(*limit);
  if (*limit == 0) {
    state.showImageSummary();  // the limit line goes away
    warnIfPasswordDropped(state);
    return true;
  }

  image.protection.currentTime = currentTimeStamp(now);
  state.showImageSummary();

  const auto downloads = ask(state, TextId::DownloadLimitPrompt, std::to_string(image.protection.downloadLimit),
                             kDownloadLimitChars, false);
  if (!downloads) return true;
  // 256-999 fit the entry but not the byte: refused, never stored as their low byte.
  if (const auto value = parseDownloadLimit(*downloads)) {
    image.protection.downloadLimit = *value;
  } else {
    tell(state, TextId::DownloadLimitTooLarge);
  }
  return true;
}

bool setProgramFilePassword(WorkingState& state) {
  FilePassword& password = state.image().protection.filePassword;
  const auto typed = ask(state, TextId::FilePasswordPrompt, passwordToText(password), kPasswordChars, true);
  if (!typed) return false;
  password = passwordFromText(*typed);
  warnIfPasswordDropped(state);
  return true;
}

}  // namespace kt90
