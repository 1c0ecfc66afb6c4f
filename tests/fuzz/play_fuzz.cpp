// Fuzz target for PLAY music strings: each input is one string, played from
// the start settings on a fresh tone pipe over the loopback device with a fake
// clock (foreground waits pass at once), then pumped and rendered once. The
// DOS string area holds values of every "=" reference type. Nothing may
// crash, hang or trip a sanitizer; the error must be 0 or 5, and the lasting
// settings stay in their ranges.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "platform/clock.h"
#include "sound/audio_device.h"
#include "sound/audio_pump.h"
#include "sound/play_parser.h"
#include "sound/raw_stream.h"
#include "sound/sound_device.h"
#include "sound/tone_pipe.h"
#include "support/openal_drivers.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{

// Every note can last up to 15 s of samples: longer strings only repeat
// what shorter ones reach, at a high price in rendering.
constexpr size_t LONGEST_STRING = 96;

std::atomic<int64_t> fake_ms{1000000};
int64_t fake_now() { return fake_ms.load(); }
void fake_sleep(uint32_t ms) { fake_ms.fetch_add(ms); }
const clock_seam fake_clock{fake_now, fake_sleep};

void area_put(uint16_t offset, const void *bytes, size_t size)
{
    std::memcpy(emulated_dos_memory + DOS_STRING_AREA + offset, bytes, size);
}

void set_up_once()
{
    clock_seam_set(&fake_clock);
    dos_memory_reset();
    sound_init_loopback();
    const int16_t small[] = {8, -3, 32767};
    area_put(0x10, small, sizeof small);
    const double values[] = {4.5, -11, NAN, INFINITY, 3e9, 64};
    area_put(0x20, values, sizeof values);
    const uint64_t bits = 0xFFFFFFFFFFFFFFF5u;
    area_put(0x60, &bits, 8);
}

} // namespace

// Runs before libFuzzer starts its own threads.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    openal_drivers_pin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = (set_up_once(), true);
    (void)ready;
    sound_handles_reset();
    raw_stream_reset();
    tone_pipe_reset();
    play_settings_reset();
    string_descriptor s{};
    s.chr = const_cast<uint8_t *>(data);
    s.len = int32_t(size < LONGEST_STRING ? size : LONGEST_STRING);
    rt_play(&s);
    const uint32_t error = error_pending_take();
    const play_settings &p = play_lasting;
    if ((error != 0 && error != 5) || !(p.tempo >= 32 && p.tempo <= 255) ||
        !(p.length >= 1 && p.length <= 64) || p.octave > 6)
        std::abort();
    sound_update();
    static int16_t block[SOUND_BLOCK_FRAMES * 2];
    audio_device_loopback_render(block, SOUND_BLOCK_FRAMES);
    return 0;
}
