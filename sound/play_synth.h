// PLAY synthesis: notes and rests mixed into one pending buffer.
//
// The PLAY parser hands over one item at a time. Each note is rendered as its
// own tone (tone.h), followed by the articulation's silence, and mixed into
// the pending buffer at the write position; a rest only makes the buffer
// longer. An item that ends in "," leaves the write position where it was, so
// the next item sounds at the same time (a chord). The whole buffer goes to
// the tone pipe at the end of the string or at "MB".
#pragma once

#include <cstdint>
#include <vector>

struct play_pending_buffer {
    std::vector<int16_t> samples; // interleaved left/right
    bool exists = false;          // a first item has made the buffer
    int64_t write_offset = 0;     // in samples: where the next item starts
    bool pending = false;         // mixed into since last handed over
};

// The frequency of PLAY's semitone number k: k = 0 is 440 Hz.
double play_note_freq_hz(int64_t k);

// Mixes a note of `seconds` at volume_percent (0..100 is silent..full scale),
// sounding for (1 - articulation) of its time and silent for the rest.
void play_note_mix(play_pending_buffer &buffer, int64_t k, double seconds, double volume_percent,
                   double articulation, bool chord);

void play_rest_mix(play_pending_buffer &buffer, double seconds, bool chord);

// Streams the buffer into the tone pipe (waiting or not) when something is
// pending, and empties it so that the next item starts a new one.
void play_buffer_hand_over(play_pending_buffer &buffer, bool wait);

void play_buffer_clear(play_pending_buffer &buffer);
