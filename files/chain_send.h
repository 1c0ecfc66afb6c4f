// CHAIN file$: ends this program and starts another in its place, handing it
// the screen and a directory through a hand-over file.
//
// The hand-over file (little-endian): i32 512, i32 n, n bytes of the absolute
// directory the new program is to run in (no trailing '/', except "/" itself),
// the chain state stream (chain_state.h), i32 0. Its name is "chain" + three
// digits (100-999) + ".tmp"; it is created exclusively in the current
// directory, stepping the number while a name is taken, and moved into the
// directory of the program an attempt starts, where that program looks for it.
// The new program gets the arguments of file$ followed by one more: the
// marker "(unique-tag:=/@*$+-)" and the file name (chain_receive.h).
//
// Up to three attempts: the program in file$'s directory (the current one
// when file$ names none); the program of that name beside this one; that one
// again after the compiler "vlox" beside this program has been run with
// "-c" and the source file. Program thread only.
#pragma once

#include <string>

struct string_descriptor;

// The names CHAIN derives from file$: the program with its argument text,
// the source file, and file$'s directory part with its '/' ("" for none).
struct chain_names {
    std::string exe_name;
    std::string bas_name;
    std::string target_dir;
};
chain_names chain_names_of(std::string file);

// CHAIN file$. Returns only on failure: 53 for an empty file$ or when no
// attempt starts a program (the hand-over file is deleted first); the errors
// of creating and writing the hand-over file otherwise (it is deleted).
void rt_chain(const string_descriptor *file);
