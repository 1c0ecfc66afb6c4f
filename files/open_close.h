// OPEN and CLOSE: binding BASIC file numbers to open files.
//
// OPEN turns the statement's mode, ACCESS and LOCK clauses into the
// OS-handle layer's access bits, deny bits and opening rule, opens the file
// and binds the number; CLOSE closes and unbinds. Both return at once while an
// error is pending. Program thread only; files_close_at_end also runs on
// another thread at the end of the program (the runtime loop's, or the one
// that met a lost X connection), once the program thread has stopped, and
// files_left_at_end on any thread at any time.
#pragma once

#include <cstdint>

struct string_descriptor;

// Modes as the compiled program passes them.
constexpr int32_t OPEN_MODE_RANDOM = 1; // 0 means RANDOM as well
constexpr int32_t OPEN_MODE_BINARY = 2;
constexpr int32_t OPEN_MODE_INPUT = 3;
constexpr int32_t OPEN_MODE_OUTPUT = 4;
constexpr int32_t OPEN_MODE_APPEND = 5;

// ACCESS clause: 0 none, 1 READ WRITE, 2 READ, 3 WRITE.
// LOCK clause: 0 none, 1 SHARED, 2 LOCK READ WRITE, 3 LOCK READ, 4 LOCK WRITE.

// The largest RANDOM record length; a longer one is refused as out of memory.
constexpr int64_t RECORD_LENGTH_LIMIT = INT32_MAX;

// OPEN name FOR mode [ACCESS access] [LOCK lock] AS #number [LEN = len].
void rt_open(const string_descriptor *name, int32_t mode, int32_t access, int32_t lock,
             int32_t number, int64_t len, int32_t len_given);

// The old form OPEN mode$, #number, name$ [, len]: the first letter of mode$
// (R, B, I, O or A, either case) selects the mode.
void rt_open_old(const string_descriptor *mode_letter, int32_t number,
                 const string_descriptor *name, int64_t len, int32_t len_given);

// CLOSE #number (given non-zero), or CLOSE of every special handle and every
// open file. An unbound number is ignored. A close that the file system
// refuses (a network file system may report only there that it could not
// keep the bytes written) raises 61 (no room, or the quota used up) or 57 (any other failure). The
// file is closed and its number free all the same; CLOSE with no number
// closes every file, raises the first refusal and says each later one on
// standard error, as files_close_at_end does.
void rt_close(int32_t number, int32_t given);

// Closes every special handle and every open file at the end of the program
// (END, SYSTEM, RUN, CHAIN, "No" in the error dialog), whatever error is
// pending. The program can no longer hear of a refused close, so each is
// said on standard error: "CLOSE #n: message (error e)".
void files_close_at_end();

// The end of the program when the program thread did not stop (stuck in a
// statement that never returns): touches nothing that thread may be using,
// and says on standard error which numbers it leaves for the system to close
// as the process ends, where a refused close goes unheard: "CLOSE #n: left
// to the system to close, the program did not stop". A file whose close has
// begun and not been answered comes first: "CLOSE #n: its close had not
// ended, the file system did not answer".
void files_left_at_end();

// Output that replaces a file whole, for a file that must never be seen half
// written (the game's save). Order of use: rt_open_replacing, the output
// statements on the number, replacing_abandon after any statement that
// failed, rt_close_replacing. The name holds its old bytes until the CLOSE
// puts all the new ones in its place in one step.
//
// OPEN name FOR OUTPUT AS #number with the bytes going to a temporary file
// beside the file it replaces that belongs to this OPEN alone, made new
// (never an existing file) and held until the CLOSE, so that copies of a
// program saving side by side never share one. The file replaced is the
// name resolved as OPEN resolves it or, where that is a symbolic link, the
// file the link finally names (which need not exist yet): the link stays.
// The temporary file's name is the file's own, a part unique to the process
// and the OPEN, check values over both and where the program runs, and
// ".tmp", the file's part cut
// short where the whole would be too long, so every name a plain OPEN takes
// can be saved this way. Such files of that file that nobody holds, left by
// copies killed before their CLOSE, are deleted first; no other file is ever
// deleted, whatever its name looks like. The file's own LOCK and UNLOCK work
// as on any file opened for output. Where OPEN FOR OUTPUT would refuse an
// existing name (a file without any write permission bit, a directory or
// anything else that is not a disk file, a read-only file system, a file
// held exclusively) it raises the same error and creates nothing. Where the
// directory takes no new file (no right to it, but the file may be written)
// the OPEN is a plain OPEN FOR OUTPUT of the name, and the CLOSE only closes
// it: the name is not kept whole then. A temporary file that cannot be made
// otherwise raises 76 (no directory), 64 (a name the system cannot take), 61
// (a full disk) or 75.
void rt_open_replacing(const string_descriptor *name, int32_t number);

// Deletes the temporary files of name's replacing OPENs at once, whatever
// error is pending: their bytes must never take the name, even when the
// program ends before the CLOSE. The number stays bound; later writes go to
// the deleted file.
void replacing_abandon(const string_descriptor *name);

// CLOSE #number of a file opened by rt_open_replacing. With put_in_place the
// temporary file is flushed to the disk and renamed over the file its OPEN
// replaces, and the directory is flushed; of saves side by side,
// the last renamed wins. Without it, or when the name has become read-only
// (70), the disk is full (61) or a step fails (75), the temporary file is
// deleted and the name keeps its bytes. A close the file system refuses
// after the flush counts as a failed step (61 for no room, else 75).
void rt_close_replacing(int32_t number, const string_descriptor *name, bool put_in_place);
