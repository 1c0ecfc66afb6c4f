// Statements on names in the file system: KILL, NAME, CHDIR, MKDIR, RMDIR and
// FILES. Each turns the system's failure into a BASIC error; every name
// passes through file_name_fix first. Program thread only; while an error is
// pending each returns at once.
#pragma once

#include <cstdint>
#include <string>

struct string_descriptor;

// KILL spec: deletes the file the spec names, or every file a wildcard
// pattern matches in its directory (directories are passed over), by the
// rules of platform/wildcard.h: "abc." names "abc", for one. 53 when
// nothing matches, only directories match, or a wildcard stands in the
// directory part; 55 when a file is read-only or held open (the files
// deleted before it stay deleted).
void rt_kill(const string_descriptor *spec);

// NAME old AS new: renames; never replaces an existing file (75).
void rt_name(const string_descriptor *old_name, const string_descriptor *new_name);

// CHDIR (76 on failure), MKDIR (75 when the name exists, else 76), RMDIR
// (75 when the directory is not empty, else 76).
void rt_chdir(const string_descriptor *path);
void rt_mkdir(const string_descriptor *path);
void rt_rmdir(const string_descriptor *path);

// FILES [spec]: prints the current directory, the matching entries laid out
// in 18-character cells, and the free bytes. given is non-zero when the spec
// was written.
void rt_files(const string_descriptor *spec, int32_t given);

// One FILES entry as laid out: a name of 8.3 shape in its 8 + 3 columns (12
// characters), any other name whole (padded to 12 when shorter), then
// "<DIR> " or six blanks. The name is shown in upper case.
std::string files_entry_text(const std::string &name, bool is_dir);
