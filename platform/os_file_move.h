// Making a file under a name nobody holds, and moving a file to another
// directory without ever replacing what is there.
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
