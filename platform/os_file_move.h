// Making a file under a name nobody holds, moving a file to another
// directory without ever replacing what is there, and putting a finished
// temporary file in the place of another in one step.
//
// Names are used exactly as written (no letter-case matching). Program thread
// only.
#pragma once

#include "platform/os_dirs.h"

#include <string>

// Creates an empty file; exists when any entry of that name is there already
// (it is left alone).
os_dir_status os_file_create_new(const std::string &path);

// Moves a file to the name to, which must not exist (exists otherwise, with
// nothing changed). Within one file system it is a rename; across file systems
// the bytes are copied to a new temporary name beside to, flushed to the disk,
// renamed to to, and only then is from deleted. On failure from stays and no
// temporary is left.
os_dir_status os_file_move(const std::string &from, const std::string &to);

// Renames from over to, replacing to in one step: the name to holds either
// its old file or from's, never a mix. The new file takes the permission bits
// of the file it replaces. Then flushes the directory of to to
// the disk, so that the new name survives a crash of the system (where the
// file system cannot flush a directory, the rename stands without). Both
// names are taken as written and must lie on one file system.
os_dir_status os_file_replace(const std::string &from, const std::string &to);

// Removes a name as written, whether or not a file of this process holds it
// open (a temporary file that must not be kept). True when it is gone.
bool os_file_remove(const std::string &path);
