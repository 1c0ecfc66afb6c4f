// The save file "TarvoData": one text line of the six save fields.
//
// The fields are herb_angelica, herb_pennyroyal, herb_mugwort,
// herb_cotton_root, ending_seen and save_spare, each written as
// LTRIM$(STR$(value)) of the SINGLE, joined by single commas and ended by
// CR LF. A new game's file holds "0,0,0,0,0,0"; a finished game's
// "1710,2.6,2245,3032,400,0". The file lives in the current directory, which
// start-up makes the program's own.
#pragma once

#include "core/basic.h"

// The save file's name.
constexpr const char *SAVE_FILE_NAME = "TarvoData";

// GOSUB routine: writes the save file from the six fields. The line goes to
// a temporary file of its own beside it, which takes the name in one
// step at the CLOSE, so the file always holds the last line saved whole: a
// save interrupted at any point, or one whose OPEN or PRINT # failed (the
// file error is raised as for a plain OPEN FOR OUTPUT), leaves the old file
// (or none). A read-only file is never replaced. A temporary file left by a
// killed process is replaced by the next save. A save file that is a
// symbolic link is written through: the file it names gets the line and the
// link stays.
void save_progress(basic_procedure &p);

// The start-up's load or create: when the file exists its six numbers are
// read into the fields (a short or malformed file raises the INPUT # error,
// and the fields not read keep their values); otherwise save_progress creates
// it with zeros. A loaded file is not written back. A save file that is no
// disk file (a pipe, a device) is refused by the load's OPEN, and a folder by
// the save's OPEN, with error 70 and its box at once, never waited on.
void save_load_or_create(basic_procedure &p);
