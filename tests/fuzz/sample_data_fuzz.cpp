// Fuzz target for the loaded-sound constructor: the first bytes choose the
// channel count, sample width and rate, the rest is the PCM. Refused formats
// raise error 5 (cleared); accepted ones are converted, get their mono form
// and are freed again. Nothing may crash, hang or trip a sanitizer.
#include "core/errors.h"
#include "sound/sample_data.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace
{

constexpr int32_t BITS[] = {0, 4, 8, 16, 24, 32, 8, 16};

// Mostly rates near the usual ones, sometimes any 32-bit value.
int32_t rate_of(const uint8_t *header)
{
    int32_t raw;
    std::memcpy(&raw, header + 3, 4);
    if (header[2] & 1)
        return raw;
    return 4000 + int32_t(uint32_t(raw) % 92001);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr size_t header = 7;
    if (size < header)
        return 0;
    int32_t channels = data[0] % 4;
    int32_t bits = BITS[data[1] % 8];
    sound_sample_data *made =
        sound_sample_data_new(data + header, int64_t(size - header), channels, bits, rate_of(data));
    if (made) {
        sound_stereo_to_mono(made);
        sound_sample_data_release(made);
    }
    error_pending_take();
    return 0;
}
