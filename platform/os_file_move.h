// Making a file under a name nobody holds, moving a file to another
// directory without ever replacing what is there, and putting a finished
// temporary file in the place of another in one step.
//
// Names are used exactly as written (no letter-case matching). Program thread
// only.
#pragma once

#include "platform/os_dirs.h"

#include <cstddef>
#include <string>
#include <string_view>

// Creates an empty file; exists when any entry of that name is there already
// (it is left alone).
os_dir_status os_file_create_new(const std::string &path);

// Moves a file to the name to, which must not exist (exists otherwise, with
// nothing changed). Within one file system it is a rename; across file systems
// the bytes are copied to a new temporary name beside to, flushed to the disk,
// renamed to to, and only then is from deleted. On failure from stays and no
// temporary is left. The copy keeps from's permission bits as far as the file
// system takes them; a file system that refuses them is no failure.
os_dir_status os_file_move(const std::string &from, const std::string &to);

// Renames a file or a directory within one file system, never replacing
// another entry: 0, else -1 with errno (EEXIST when to is taken, EXDEV across
// file systems) and nothing changed. Where the file system has no rename that
// refuses to replace (FUSE), from is linked as to and then removed; where it
// has no hard links either (FAT, exFAT), to is first made exclusively as an
// empty file (an empty directory for a directory) and from renamed over it;
// where it will not rename over that either (rclone, fusefat), from is
// renamed once to is seen absent, as mv -n does.
// A rename of the letter case alone works where the directory ignores case.
int os_path_rename_keeping(const std::string &from, const std::string &to);

// Renames from over to, replacing to in one step: the name to holds either
// its old file or from's, never a mix. The new file takes the permission bits
// of the file it replaces; anything but a regular file in to's place is
// refused with access_denied. Then flushes the directory of to to the disk,
// so that the new name survives a crash of the system (where the file system
// cannot flush a directory, the rename stands without). Both names are taken
// as written and must lie on one file system.
os_dir_status os_file_replace(const std::string &from, const std::string &to);

// Removes a name as written, whether or not a file of this process holds it
// open (a temporary file that must not be kept). True when it is gone.
bool os_file_remove(const std::string &path);

// The file a name finally stands for: the name itself unless it is a
// symbolic link, else the link's target (a relative one taken from the
// link's directory), followed through links that name links. The target need
// not exist (a dangling link). Empty when the chain does not end within 40
// links (a loop) or a link cannot be read.
std::string os_path_link_target(const std::string &path);

// Held files: the temporary files of writers that may run side by side,
// several processes in one directory among them. Each is made beside a
// target under a name of its own and held by its maker; a file that nobody
// holds was left by a maker that ended before removing it, and any later
// maker for that target may remove it.
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

// Test seam: held files are made, and judged, from now on as by a process of
// the place `place`, a text standing for a boot and PID namespace of this
// machine (empty: where this process runs).
void os_file_held_place_set(const std::string &place);

// Fuzz seams for the names of held files. The name os_file_create_held
// gives a new file for a target whose last part is `last`, with the unique
// part `unique` (digits, '-', digits), in a directory that takes names of up
// to `limit` bytes.
std::string os_file_held_name_make(const std::string &last, const std::string &unique,
                                   size_t limit);
// True when the directory entry `name` is a held file made for a target
// whose last part is `last`; *maker gets its maker's process number where it
// ran in this process's place, else 0.
bool os_file_held_name_read(std::string_view name, std::string_view last, int *maker);
