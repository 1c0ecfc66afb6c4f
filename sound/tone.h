// The tone generator: every tone of SOUND, BEEP and PLAY is a triangle wave
// rendered here into 16-bit stereo frames at 44,100 frames a second.
//
// There is no envelope or filter: a tone is cut back so that it ends just
// before its last rising zero crossing, which keeps the joins click-free.
#pragma once

#include <cstdint>
#include <vector>

// The highest frequency a triangle can have at the output rate. Asked for a
// higher one, the generator renders silence of the full length: such a tone
// cannot be represented at this rate (it would alias to a wrong, audible
// pitch), and on real hardware it lies beyond hearing anyway.
constexpr double TONE_MAX_FREQ_HZ = 22050.0;

// A rendered tone: interleaved left/right samples for the whole asked length,
// of which the first `bytes` bytes are the tone (the rest is cut off).
struct tone_block {
    std::vector<int16_t> samples;
    int64_t bytes = 0;
};

// Renders `seconds` of a triangle wave of freq_hz with peak `volume` (1.0 is
// full scale). Frequency 0 or volume 0 gives exact silence of full length.
// At least one frame is rendered. Runs sound_sweep first.
tone_block tone_render(double freq_hz, double seconds, double volume);

// The byte length of `seconds` of silence: whole frames, at least one.
int64_t silence_length(double seconds);

// Frames in `seconds` at the output rate, truncated, at least 1, and never
// more than a 32-bit byte count can hold.
int64_t tone_frame_count(double seconds);
