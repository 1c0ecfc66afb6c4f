// The sample data of loaded sounds: made from PCM in memory, converted to the
// 44,100 Hz 16-bit forms that play, shared by a sound's copies and freed with
// the last of them.
//
// Program thread only.
#pragma once

#include "sound/sound_device.h"

#include <cstdint>

// Makes sample data from `bytes` of interleaved PCM: 8-bit unsigned or 16-bit
// signed little-endian samples, 1 or 2 channels, any rate from 173 to
// 11,289,600 Hz (the converter's ratio of 1/256 to 256 against 44,100 Hz).
// The PCM is kept as given in `samples`; mono input gets a mono16 form,
// stereo input a stereo16 form, converted to 44,100 Hz where needed. A partial
// frame at the end is ignored. Other formats, and sounds whose converted form
// would exceed what one audio buffer takes (2^31 - 1 bytes), are error 5 and
// null. The result is on sound_sample_list with a ref_count of 0.
sound_sample_data *sound_sample_data_new(const void *pcm, int64_t bytes, int32_t channels,
                                         int32_t bits, int32_t rate_hz);

// Makes the mono16 form of stereo16 data, once: each sample is the mean of
// the left and right sample, rounded toward zero. Nothing when mono16 exists
// or there is no stereo16.
void sound_stereo_to_mono(sound_sample_data *data);

// Drops one handle's share: with no other sharer left the samples and both
// forms are freed and the data leaves sound_sample_list; else ref_count - 1.
void sound_sample_data_release(sound_sample_data *data);
