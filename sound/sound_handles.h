// Sound handles of loaded sounds: play, stop, pause, loop, volume, balance or
// 3-D position, seeking, a play-time limit, copies and close.
//
// A loaded sound is a sound_handle_record of kind SOUND_KIND_LOADED whose
// samples live in a shared sound_sample_data (sample_data.h). It plays on its
// own OpenAL source and buffer, made at its first play and released again
// while it is stopped. Copies share the samples and can play at once. Raw
// streams answer only the play-state queries and close.
//
// Every operation below except sound_apply does nothing and returns 0 while
// an error is pending, runs sound_sweep first, and does nothing for handle 0.
// A refused call raises error 5 and returns 0. They run on the program
// thread; the pump (audio_pump.h) stops sounds whose limit has run out and
// marks closed sounds freeable once they have stopped.
#pragma once

#include "sound/sound_device.h"

#include <cstdint>

// Makes the first handle of loaded sample data (what a sound-file loader
// calls): the sound starts stopped, at the given volume, at the centre. Null
// data (a refused constructor) gives 0.
int32_t sound_loaded_open(sound_sample_data *data, uint8_t capabilities, bool no_copy,
                          float volume);

// Brings OpenAL up to date with the record: reads the play state, releases
// the source and buffer of a stopped sound, and sends volume, position and a
// requested seek. A raw stream only reads its play state.
void sound_apply(sound_handle_record *record);

// A new handle sharing the sound's samples (not for no-copy sounds).
int32_t sound_handle_copy(int32_t handle);
void sound_handle_volume_set(int32_t handle, float volume);
void sound_handle_pause(int32_t handle);
void sound_handle_stop(int32_t handle);
// Plays from the start (a playing or paused sound restarts). When every
// source of the device is taken, nothing plays and the sound stays stopped.
void sound_handle_play(int32_t handle);
void sound_handle_loop(int32_t handle);
int32_t sound_handle_is_paused(int32_t handle);  // -1 or 0
int32_t sound_handle_is_playing(int32_t handle); // -1 or 0
double sound_handle_length(int32_t handle);      // seconds of the PCM as given

// Bits of the given-mask of sound_handle_balance_set.
constexpr int32_t BALANCE_Y_GIVEN = 2;
constexpr int32_t BALANCE_Z_GIVEN = 4;
// x alone is a left-right balance; with y or z the sound is placed in 3-D
// (units of 1/100 of the listener's space; both 0 make z 0.001).
void sound_handle_balance_set(int32_t handle, double x, double y, double z, int32_t given);

float sound_handle_position_get(int32_t handle);
// Seeks to seconds from the start (negative or NaN: error 5).
void sound_handle_position_set(int32_t handle, double seconds);
// Stops the sound `seconds` after it starts (now, if it plays; else at the
// next play); 0 cancels; negative or NaN: error 5; infinity never stops it.
void sound_handle_limit_set(int32_t handle, double seconds);
// Closes a handle. A loaded sound that plays is freed once it has stopped; a
// raw stream plays out what it holds. The tone pipe cannot be closed.
void sound_handle_close(int32_t handle);

constexpr int32_t PLAY_COPY_VOLUME_GIVEN = 1;
// Plays a copy of the sound (at the given volume) that frees itself when it
// has played out.
void sound_handle_play_copy(int32_t handle, float volume, int32_t given);

int32_t sound_stub_zero();

// Forgets the flags between operations (tests).
void sound_handles_flags_reset();
