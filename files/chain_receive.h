// The receiving side of CHAIN, run as a compiled program's first statement.
//
// A program started by CHAIN finds a hand-over suffix at the end of its
// COMMAND$: a blank, the marker "(unique-tag:=/@*$+-)" and the name of the
// hand-over file ("chain", three digits, ".tmp").
#pragma once

#include <string>

// The hand-over file named at the end of command, or an empty text when the
// command carries no hand-over suffix.
std::string chain_handover_name(const std::string &command);

// Called once before the program's own code: when COMMAND$ ends with the
// hand-over suffix, takes the hand-over and removes the suffix (and the blank
// before it) from COMMAND$; otherwise does nothing.
void chain_receive();
