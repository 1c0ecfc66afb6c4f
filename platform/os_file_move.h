// Making a file under a name nobody holds, moving a file to another
// directory without ever replacing what is there, and putting a finished
// temporary file in the place of another in one step. (The temporary files
// themselves are the held files of os_file_held.h.)
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
// temporary is left; where from cannot be deleted (a read-only file system),
// the copy goes again and the move gives access_denied; where the delete
// failed and the file system cannot tell whether from is still there, both
// names stay (access_denied). The copy keeps from's permission bits as far as
// the file system takes them; a file system that refuses them is no failure.
os_dir_status os_file_move(const std::string &from, const std::string &to);

// Renames a file or a directory within one file system, never replacing
// another entry: 0, else -1 with errno (EEXIST when to is taken, EXDEV across
// file systems) and nothing changed. Where the file system has no rename that
// refuses to replace (FUSE), from is linked as to and then removed; where it
// has no hard links either (FAT, exFAT), to is first made exclusively as an
// empty file (an empty directory for a directory) and from renamed over it;
// where it will not rename over that either (rclone, fusefat), from is
// renamed once to is seen absent, as mv -n does. No way removes the only
// name of the file: the new name or the placeholder goes again only while it
// is still the link or the empty entry made and from is certainly there (the
// step was refused, or the directory still lists from), and a step reported
// failed that was done all the same (a lost reply over NFS, EIO from a FUSE
// daemon) gives 0 once from is gone and to holds the file. These facts are
// read from the file system itself (a directory read, attributes fetched
// anew), not from entries a FUSE kernel keeps; where they cannot be had,
// both names stay and the rename fails with EACCES. A rename of the letter
// case alone works where the directory ignores case. Where the file system's
// own rename is known to lose data (fusefat: a folder that holds entries, a
// rename of the letter case alone), the rename is refused with EPERM and
// nothing changes.
int os_path_rename_keeping(const std::string &from, const std::string &to);

// Renames from over to, replacing to in one step: the name to holds either
// its old file or from's, never a mix. The new file takes the permission bits
// of the file it replaces; anything but a regular file in to's place is
// refused with access_denied. Then flushes the directory of to to the disk,
// so that the new name survives a crash of the system (where the file system
// cannot flush a directory, the rename stands without). Both names are taken
// as written and must lie on one file system.
os_dir_status os_file_replace(const std::string &from, const std::string &to);

// After a removal of the name path failed with err: true where the file
// system shows the name gone all the same (done but answered EIO, a reply
// lost over NFS or from a FUSE daemon), by a fresh read of its directory;
// false where it still lists the name or cannot be read, or err was a plain
// refusal. errno stays err.
bool os_name_gone_after(const std::string &path, int err);

// Removes a name as written, whether or not a file of this process holds it
// open (a temporary file that must not be kept). True when it is gone.
bool os_file_remove(const std::string &path);

// The file a name finally stands for: the name itself unless it is a
// symbolic link, else the link's target (a relative one taken from the
// link's directory), followed through links that name links. The target need
// not exist (a dangling link). Empty when the chain does not end within 40
// links (a loop) or a link cannot be read.
std::string os_path_link_target(const std::string &path);
