// Faults of the simulated unit as one word of a command line, e.g. "no-answer:write@1080"
// or "cut-short:read@FF60,keep=40,skip=1,times=2".
//
//   KIND:COMMAND[@ADDRESS][,skip=N][,times=N|all][,keep=N][,bytes=HEX]
//
// KIND: no-answer, refuse, cut-short, wrong-check-bytes, wrong-data, stray-bytes,
// port-vanishes. COMMAND: sync, password, write, read, erase, mass-erase, load-pc, version,
// or the command byte in hexadecimal. ADDRESS: hexadecimal, the frame's address.
#pragma once

#include "loader_unit.h"

#include <optional>
#include <string>

namespace unitsim {

// The fault, or nothing with `error` saying what is wrong with the text.
std::optional<Fault> ParseFault(const std::string& text, std::string& error);

// The lines of the usage text that tell the syntax above.
extern const char* const FaultOptionHelp;

} // namespace unitsim
