#include "core/app/SerialCountQuestion.h"

#include <charconv>
#include <string>

#include "core/text/StringTable.h"

namespace kt90 {

namespace {

constexpr const char* kSerialCountKey = "SerialCount";
constexpr int kCountChars = 10;
constexpr std::int32_t kDefaultCount = 1000;

}  // namespace

bool serialCountNeeded(const ProgramImage& image) {
  return image.rollingCodeOn() && image.head.programLimit() == 0;
}

std::optional<std::uint64_t> askSerialCount(WorkingState& state) {
  Host::EntryRequest request;
  request.prompt = text(TextId::SerialCountPrompt, state.language());
  request.initial = std::to_string(state.profile().readInt(kSerialCountKey, kDefaultCount));
  request.maxChars = kCountChars;
  request.hexadecimal = false;
  std::string typed;
  if (!state.host().editText(request, typed)) return std::nullopt;
  std::uint32_t count = 0;
  const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), count);
  if (typed.empty() || error != std::errc() || end != typed.data() + typed.size() || count == 0 ||
      count > static_cast<std::uint32_t>(INT32_MAX)) {
    state.host().messageBox(text(TextId::SerialCountInvalid, state.language()), MessageButtons::Ok);
    return std::nullopt;
  }
  state.profile().writeInt(kSerialCountKey, static_cast<std::int32_t>(count));
  return count;
}

}  // namespace kt90
