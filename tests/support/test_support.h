// Helpers every test folder uses: a runtime string as text, whole files read
// and written as bytes, a fresh temporary folder, what locks a folder gives,
// and a page's pixels read back.
#pragma once

#include "core/strings.h"

#include <cstdint>
#include <string>
#include <vector>

struct image_slot;

std::string text_of(const string_descriptor *s);
std::string file_read_all(const std::string &path);
void file_write_all(const std::string &path, const std::string &bytes);

// A fresh, empty folder named PREFIX and six random characters, made by
// mkdtemp under $TMPDIR, or under /tmp when TMPDIR is unset or empty. The
// path is absolute with links resolved, so a test that changes directory
// still reaches it and may compare it with getcwd. The caller removes it.
// Throws std::runtime_error with the reason when the folder cannot be made,
// which fails the test that asked.
std::string test_temp_dir(const char *prefix);

// What a file in folder dir (a name ending in '/', or empty for the current
// folder) gives: share modes (not on a network
// file system, nor where no lock service answers) and byte-range locks (not
// where no lock service answers). Asked of a file made for the purpose and
// removed again; throws std::runtime_error when it cannot be made.
struct folder_locks {
    bool share_modes;
    bool range_locks;
};
folder_locks folder_locks_here(const std::string &dir = {});

// The value of one pixel of a page (palette pages: the byte).
uint32_t pixel_of(const image_slot *r, int32_t x, int32_t y);
// The page's pixels as 32-bit values, row by row.
std::vector<uint32_t> page_pixels(const image_slot *r);
