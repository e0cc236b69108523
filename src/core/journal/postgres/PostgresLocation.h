#pragma once
#include <string>

namespace kt90::postgres {

// The URI as users may see it: the password (in the user part or as a parameter) gone.
std::string withoutPassword(const std::string& uri);

// `text` with every occurrence of the URI's password masked, for messages that may quote
// what libpq was given.
std::string maskPassword(const std::string& text, const std::string& uri);

}  // namespace kt90::postgres
