// The steps between a loaded sound's record and its OpenAL objects, shared by
// the handle operations (sound_handles.h) and the pump (audio_pump.h).
#pragma once

#include "sound/audio_device.h"
#include "sound/sound_device.h"

#include <cstdint>

// Set while play gets a source ready, so that sound_apply keeps the stopped
// source it has just made; set around play by the loop statement. Program
// thread only.
extern bool sound_in_play;
extern bool sound_loop_request;

uint8_t play_state_of(audio_source_state state);

// Deletes a loaded sound's OpenAL source and buffer; the caller holds
// sound_handles_busy.
void loaded_sound_objects_delete(sound_handle_record *record);

// Deletes the source and buffer (taking sound_handles_busy) and marks volume
// and position to be sent to the next ones.
void loaded_sound_objects_release(sound_handle_record *record);

// Stops a sound that plays or is paused; a running limit is cancelled. The
// sound counts as stopped afterwards, with or without a source.
void loaded_sound_stop(sound_handle_record *record);

// Plays from the start, looping when sound_loop_request is set, and starts an
// armed limit (a running one is cancelled). When the device has no source to
// give, nothing plays and the sound stays stopped.
void loaded_sound_play(sound_handle_record *record);

// Starts the limit now: the pump stops the sound `seconds` from now (a
// deadline beyond the clock's range never comes).
void limit_start(sound_handle_record *record, double seconds);
