#include "link/PortAccess.h"

namespace kt90::link {

// Windows lets every user open a COM port; a refusal there means another program has it.
std::optional<std::string> portDeniedToUser(const std::string&) { return std::nullopt; }

}  // namespace kt90::link
