// Operating-system directories and names: listing with wildcards, deleting,
// renaming, making, removing and entering directories, and free space.
//
// Names use '/' as the separator and are resolved as os_path_resolve does
// (exactly first, else component by component ignoring letter case) unless a
// function says otherwise. Program thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class os_dir_status {
    ok,
    not_found,      // no such file or directory
    path_not_found, // a directory on the way does not exist
    exists,         // the new name is taken (also by an entry differing in case)
    not_empty,      // a directory that still holds entries
    access_denied,  // rights, no write bit, open elsewhere, busy
    bad_name,       // a name the system cannot take
    disk_full,      // no room left on the device
    failed,         // any other failure
};

// A failure's errno by its meaning: the designed system's codes are not
// Linux's numbers.
os_dir_status os_dir_status_of_errno(int err);

struct os_dir_entry {
    std::string name;
    bool is_dir;
};

// The entries of dir (an already resolved directory name, "" for the current
// directory) whose names match the wildcard pattern, '.' and '..' included,
// sorted by name ignoring letter case (then byte by byte).
os_dir_status os_dir_list(const std::string &dir, std::string_view pattern,
                          std::vector<os_dir_entry> *entries);

// Deletes one file (the name is taken as written). Refused with
// access_denied: a directory, a file without any write permission bit, and a
// file that any open file of any process holds (every open takes a share
// lock, which the delete probes).
os_dir_status os_file_delete(const std::string &path);

// Renames from (resolved) to to (its directory part resolved, its last part
// as written). Never replaces: a to that exists, or that equals another entry
// of its directory ignoring letter case, gives exists and changes nothing. A
// rename that changes only letter case works. A file that any open file of
// any process holds is refused with access_denied, as by os_file_delete. A
// file goes to another file system by copy and delete.
os_dir_status os_path_rename(const std::string &from, const std::string &to);

// Makes a directory; an existing entry of the same name in any letter case
// gives exists.
os_dir_status os_dir_make(const std::string &path);
// Removes an empty directory; the current directory is refused with
// access_denied.
os_dir_status os_dir_remove(const std::string &path);
os_dir_status os_dir_change(const std::string &path);

// Bytes free for this user on the file system holding dir ("" for the
// current directory); 0 when that cannot be had.
int64_t os_free_bytes(const std::string &dir);

// A name split after its last '/': the directory part keeps the '/' (empty
// when there is none).
struct os_path_parts {
    std::string dir;
    std::string last;
};
os_path_parts os_path_split(const std::string &name);

// The name with its directory part resolved and its last part as written.
std::string os_path_resolve_parent(const std::string &name);
