// The process's standard descriptors (0, 1 and 2).
//
// A launcher may start the program with some of them closed. The next file or
// connection opened would then take the free number, and whatever the program
// writes to standard error would land in it: an X connection, say, would
// read the text as requests. standard_streams_open runs before anything else
// in the process opens a descriptor, as the executable starts.
#pragma once

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed (for
// reading on 0, for writing on 1 and 2). Idempotent.
void standard_streams_open();
