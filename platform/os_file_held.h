// Held files: the temporary files of writers that may run side by side,
// their names and check values, their holds and the clearing of those their
// makers left. Program thread only.
#pragma once

#include "platform/os_dirs.h"

#include <string>

// Several processes may write beside one target at once. Each file is made
// beside its target under a name of its own and held by its maker; a file
// that nobody holds was left by a maker that ended before removing it, and
// any later maker for that target may remove it.
//
// The name is the target's last part, '.', the maker's process number, '-',
// a count, '-', eight hexadecimal digits of a check value over the target's
// whole last part, the two numbers and the machine's name, '-', eight more of
// one that covers the machine's boot and the maker's PID namespace as well,
// and ".tmp" ("TarvoData.4711-0-1b2c3d4e-5f607182.tmp"). Where that would
// pass the longest name the directory takes, the target's part is cut short;
// the check values still tell whose file it is. A file whose check value does
// not fit its name is never removed, whatever it looks like; nor is one made
// on another machine. Names made before they covered the boot and namespace
// (one check value, over the machine's name or, older still, over none) are
// known too.
//
// The hold is a write lock of the kind fcntl(2) takes for an open file, on
// the file's reserved byte (OS_FILE_RESERVED_BYTE, which LOCK on the file
// never covers), through a descriptor of its own. A remover asks for the same
// lock, which the hold refuses. It ends with os_file_hold_release or with the
// process. A file whose maker runs in the remover's place (the same machine,
// boot and PID namespace, where its process number names it) is never
// removed, whatever a lock says: the maker may have found no lock service
// where the remover finds one. Where the file system gives no locks (a
// network file system whose lock service cannot be reached), a file made in
// the remover's place goes once its maker has ended, and one made elsewhere
// (or named before names told the place) stays.

// Creates a new empty file beside target (a name as written) named as above,
// with O_EXCL, and holds it; another name is tried while a name is taken.
// *path gets the name and *hold the hold (-1 on failure); bad_name when the
// target's last part is longer than its directory takes.
os_dir_status os_file_create_held(const std::string &target, std::string *path, int *hold);

// Ends a hold made by os_file_create_held (-1 is ignored); the file stays.
void os_file_hold_release(int hold);

// Removes every regular file beside target named as os_file_create_held
// names them for it that nobody holds. Each is locked exclusively while it is
// checked and removed, so a maker cannot take it meanwhile and two removers
// never remove one file twice.
void os_file_remove_unheld(const std::string &target);
