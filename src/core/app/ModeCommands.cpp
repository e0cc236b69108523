#include "core/app/ModeCommands.h"

#include "core/app/OperatingMode.h"
#include "core/app/ServiceCode.h"
#include "core/progfile/ProtectionInput.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

constexpr int kCodeChars = 8;

// Asks for a code; nullopt on Cancel.
std::optional<std::string> ask(WorkingState& state, TextId prompt) {
  Host::EntryRequest request;
  request.prompt = text(prompt, state.language());
  request.maxChars = kCodeChars;
  request.hexadecimal = true;
  std::string typed;
  if (!state.host().editText(request, typed)) return std::nullopt;
  return typed;
}

ModeChange refuse(WorkingState& state) {
  state.host().messageBox(text(TextId::PasswordWrong, state.language()), MessageButtons::Ok);
  return ModeChange::Refused;
}

void enter(WorkingState& state, std::uint32_t mode) {
  state.setOperatingMode(mode);
  // The code view masks its digits in Production mode only: show it again in the new mode.
  state.showCode(state.shownCode());
  state.setOperationState(OperationState::Ready);
}

}  // namespace

ModeChange requestMode(WorkingState& state, std::uint32_t mode, const std::tm& now) {
  if (mode == kResearchMode) {
    const FilePassword& password = state.image().protection.filePassword;
    if (state.image().protection.hasPassword()) {
      const auto typed = ask(state, TextId::PasswordPrompt);
      if (!typed) return ModeChange::Cancelled;
      if (!passwordMatches(*typed, password)) return refuse(state);
    }
  } else if (mode == kServiceMarker) {
    const std::string expected = serviceCode(now);
    const auto typed = ask(state, TextId::ServiceCodePrompt);
    if (!typed) return ModeChange::Cancelled;
    if (*typed != expected) return refuse(state);
  } else if (mode != kProductionMode) {
    return ModeChange::Refused;
  }
  enter(state, mode);
  return ModeChange::Changed;
}

}  // namespace kt90
