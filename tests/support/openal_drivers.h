// Pins OpenAL Soft to its null back-end for a test that opens the loopback
// device. OpenAL Soft loads every system audio back-end it finds when it first
// starts, even for a loopback device, and those libraries are not built for
// the sanitizers; the PulseAudio client, present on most desktops, also starts
// a thread of its own that ThreadSanitizer reports. Pinned, a test renders the
// same whatever audio libraries the machine has.
//
// Call it before OpenAL is first used and before any thread starts: setenv is
// not safe while other threads may read the environment.
#pragma once

#include <cstdlib>

inline void openal_drivers_pin()
{
    setenv("ALSOFT_DRIVERS", "null", 1);
}
