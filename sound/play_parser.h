// PLAY: music macro strings.
//
// rt_play reads a string of commands one byte at a time. A command letter
// waits (pending) until the next byte that is no digit, ".", " " or "="
// arrives; the number read in between is its argument. Notes and rests go to
// the synthesis (play_synth.h); at the end of the string, or at "MB", the
// mixed sound goes to the tone pipe.
//
// Commands: A-G notes (then "+" or "#" sharp, "-" flat, a length 0..64, dots),
// N0..84 numbered note, P1..64 rest, L1..64 length, T32..255 tempo, O..6
// octave, V..100 volume, "<" and ">" octave down and up (not below 0, not
// above 6), MB background, MF foreground, ML/MN/MS legato/normal/staccato, ","
// between the notes of a chord, "=" and a variable reference in place of a
// number.
// Tempo, length, volume, articulation, octave and the mode last from one PLAY
// to the next. Any refusal is error 5 and ends the statement; what the string
// had mixed and not yet handed over is dropped.
//
// Program thread only.
#pragma once

#include <cstdint>

struct string_descriptor;

// The settings that last between PLAY statements.
struct play_settings {
    double tempo = 120.0;        // quarter notes a minute
    double length = 4.0;         // note length: 4 is a quarter note
    double volume = 50.0;        // 0..100
    double articulation = 0.125; // silent share of each note: ML 0, MN 1/8, MS 1/4
    int32_t octave = 4;
    double background = 0.0; // 1.0 after MB, 0.0 after MF
};

extern play_settings play_lasting;

// The PLAY statement. Only the string's bytes and length are read.
void rt_play(const string_descriptor *s);

// Puts the lasting settings back to their start values (tests).
void play_settings_reset();
