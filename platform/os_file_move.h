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

// Held files: the temporary files of writers that may run side by side,
// several processes in one directory among them. Each is made under a name
// of its own and held by its maker; a file that nobody holds was left by a
// maker that ended before removing it, and any later maker may remove it.
//
// The hold is a lock, through a descriptor of its own, on one byte far past
// any end a file reaches: the file's own reads, writes and range locks never
// meet it, nor do those of a file that later takes its name. It ends with
// os_file_hold_release or with the process. Where the file system keeps no
// such locks, files are made all the same and never removed by others.

// Creates a new empty file named prefix + a part unique to this process and
// this call + suffix, with O_EXCL, and holds it; another name is tried while
// a name is taken. *path gets the name and *hold the hold (-1 on failure).
os_dir_status os_file_create_held(const std::string &prefix, const std::string &suffix,
                                  std::string *path, int *hold);

// Ends a hold made by os_file_create_held (-1 is ignored); the file stays.
void os_file_hold_release(int hold);

// Removes every regular file named as os_file_create_held names them for
// prefix and suffix (exactly as written) that nobody holds. Each is locked
// as a hold is while it is checked and removed, so a maker cannot take it
// meanwhile and two removers never remove one file twice.
void os_file_remove_unheld(const std::string &prefix, const std::string &suffix);
