// The tone pipe, SOUND and BEEP.
//
// Every tone and all PLAY music go into one raw stream, the tone pipe, so
// successive sounds follow each other without gaps and a statement can return
// before its sound has ended. A waiting statement sleeps for most of the time
// its sound still needs and wakes about a quarter second early, so the next
// statement can queue its sound in time. However a program loops, the pipe
// never holds much more than TONE_PIPE_BACKLOG_MAX_SECONDS.
//
// Program thread only, except the pipe words below, which the pump reads and
// writes too.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

// The pipe's handle, 0 until the first sound.
extern std::atomic<int32_t> tone_pipe;
// Time of the last frame written to the pipe, or the end of the program's
// wait for it: the pump pushes a partial block only 20 ms after.
extern std::atomic<int64_t> tone_pipe_last_frame_ms;
// The next sound is preceded by silence that fills out its first block.
extern std::atomic<bool> tone_pipe_prepad;
// Frames arrived since the pump last pushed a partial block of the pipe.
extern std::atomic<bool> tone_pipe_streamed;

// Seconds of sound the pipe may hold before a statement that writes to it
// waits for the excess to play: far above what a tune queues, it keeps a loop
// of background music from queueing without bound.
constexpr double TONE_PIPE_BACKLOG_MAX_SECONDS = 10.0;

// Streams the first `bytes` bytes of interleaved 16-bit stereo samples into
// the pipe. First, while the pipe holds more than the backlog bound, waits
// for the excess to play. With `wait`, returns only when little more than a
// quarter second of this sound (and of what was queued before it) is left to
// play; a sound too short for a share of its own still waits for the share of
// what was queued before it. Every wait serves events.
void sound_samples_stream(std::vector<int16_t> samples, int64_t bytes, bool wait);

// Renders a full-volume tone and streams it.
void sound_tone_play(double freq_hz, double seconds, bool wait);

// SOUND freq_hz, duration_ticks: a tone lasting duration_ticks / 18.2 seconds;
// frequency 0 is a silent wait. Error 5 for a frequency below 37 (other than
// 0) or above 32767, or a duration below 0 or above 65535.
void rt_sound(double freq_hz, double duration_ticks);

// BEEP: a 0.2 s tone of 783.99 Hz; the statement takes 0.25 s. Nothing while
// an error is pending.
void rt_beep();

// Forgets the pipe and its words (tests; the handle is released separately).
void tone_pipe_reset();
