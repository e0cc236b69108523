#pragma once
#include <nlohmann/json.hpp>
#include <string>

namespace kt90 {

// kt90ctl's --json output: one object per command, keys in the order they are set.
using Json = nlohmann::ordered_json;

// Prints `object` as one line on standard output. Every text put in is meant to be UTF-8
// already; a byte that slipped through is replaced rather than ending the program.
void printJson(const Json& object);

// What every failed command prints with --json: {"ok":false,"error":why}.
Json failureJson(const std::string& why);

}  // namespace kt90
