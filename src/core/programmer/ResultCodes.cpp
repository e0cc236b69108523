#include "core/programmer/ResultCodes.h"

#include "core/programmer/Commands.h"
#include "core/text/StringTable.h"

namespace kt90 {

std::string resultCodeText(std::uint8_t code, LanguageId language) {
  if (code >= result::kCount) return text(TextId::ConnectProgrammerFailed, language);
  const auto id = static_cast<TextId>(static_cast<int>(TextId::ResultCode0) + code);
  return text(id, language);
}

}  // namespace kt90
