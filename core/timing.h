// The program's clock and its waits: the millisecond counter, TIMER, delays in
// seconds, frame-rate limiting and SLEEP.
//
// Every wait runs on the program thread. It sleeps in steps of 9 ms and makes
// the per-statement event check (line 0) between steps, so a paused, ended or
// trapped program reacts within about 10 ms; the last step sleeps only the
// time that remains, so a wait ends within about a millisecond of its target.
// Time and sleep come from platform/clock.h, which tests can replace.
#pragma once

#include <atomic>
#include <cstdint>

// Milliseconds of the monotonic clock.
int64_t ticks_ms();

// TIMER's base: ticks_ms taken when the wall clock entered a new second, and
// the local time of day at that second in milliseconds since midnight. Written
// once at start-up (before other threads run); the BIOS tick count is derived
// from the same pair.
extern int64_t timer_base_tick;
extern uint32_t timer_base_time_ms;

// Start-up step: stores the base tick and the time of day at that moment, to
// the millisecond (no wait).
void timer_base_take();

// TIMER: seconds since midnight. Without an accuracy the value moves in steps
// of 1/18.2 second and is rounded to single precision; with one it is rounded
// to multiples of the accuracy (0 or less: error 5).
double rt_timer(double accuracy, bool given);

// Waits the given seconds (0 to 2,147,483.647, else error 5).
void delay_seconds(double seconds);

// The same wait, ended early once keep_waiting answers false (asked before
// every step).
void delay_seconds_while(double seconds, bool (*keep_waiting)());

// Waits until the next frame at the given rate is due. Keeps a steady cadence;
// after a stall of more than 32 ms beyond a period it restarts the cadence from
// the current time.
void frame_rate_limit(double fps);

// The display's frame rate (read by the window thread's timer).
extern std::atomic<double> frames_per_second;

// Sets the display's frame rate: mode 1 (automatic) keeps it, mode 2 needs a
// rate of at least 1 and clamps it to 200; other modes raise error 5.
void frame_rate_set(double rate, int32_t mode);

// SLEEP: with a positive number of seconds waits that long or until a key
// press or a trap that actually ran wakes it; with none, 0 or a negative
// number waits only for the key or trap.
void rt_sleep(int32_t seconds, bool given);

// Puts the frame-rate state and TIMER base back to their start values (tests).
void timing_reset();
