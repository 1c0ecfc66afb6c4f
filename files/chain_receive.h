// The receiving side of CHAIN, run as a compiled program's first statement.
//
// A program started by CHAIN finds a hand-over suffix at the end of its
// COMMAND$: a blank, the marker "(unique-tag:=/@*$+-)" and the name of the
// hand-over file ("chain", three digits, ".tmp").
#pragma once

#include <cstdint>
#include <string>

// The hand-over file named at the end of command, or an empty text when the
// command carries no hand-over suffix.
std::string chain_handover_name(const std::string &command);

// Reads the tag and the directory text at the start of an open hand-over
// file (file number f); false when it is not a hand-over file of this
// runtime: another tag, or a directory longer than 4,095 bytes or than the
// bytes the file holds.
bool chain_handover_header_read(int32_t f, std::string *directory);

// Called once before the program's own code: when COMMAND$ ends with the
// hand-over suffix, takes the hand-over and removes the suffix (and the blank
// before it) from COMMAND$; otherwise does nothing.
//
// Taking the hand-over: the file named (of the designed shape, "chain" + 100
// to 999 + ".tmp") is opened for reading only in the current directory, the
// program's own; a missing file is passed over quietly. A file is trusted only
// when it opens with the tag 512 and a directory text of at most 4,095 bytes
// that the file holds; then the screen is restored from it (chain_state.h),
// it is deleted and the program changes to the directory. A file that fails
// these checks is neither restored nor deleted. Nothing fails in a read-only
// directory: the delete and the directory change are quiet.
void chain_receive();
