// Ending the process.
#pragma once

// Flushes the standard streams and ends the process at once with the given
// code. No static destructors or atexit handlers run, so the other threads are
// never torn out from under a running statement. Files and the audio device are
// closed by the caller beforehand where the design asks for it.
[[noreturn]] void process_exit(int code);
