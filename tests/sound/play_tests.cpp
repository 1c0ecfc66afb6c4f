#include "sound_support.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "sound/play_parser.h"
#include "sound/play_synth.h"
#include "sound/raw_stream.h"
#include "sound/sound_device.h"
#include "sound/tone_pipe.h"

#include <cstring>
#include <limits>

namespace
{

class play_test : public sound_test
{
};

// Plays and returns the error it raised (0 for none).
uint32_t play_error(const std::string &text)
{
    play(text);
    return error_pending_take();
}

// Frames written into the tone pipe so far (full blocks and the current one).
int64_t pipe_frames()
{
    sound_handle_record *r = sound_handle_get(tone_pipe.load());
    if (!r)
        return 0;
    int32_t read = r->ring_read.load(), write = r->ring_write.load();
    int64_t blocks = read == 0 ? 0 : (write - read + SOUND_RING_CAPACITY) % SOUND_RING_CAPACITY;
    return blocks * SOUND_BLOCK_FRAMES + r->block_bytes / SOUND_FRAME_BYTES;
}

// Frames that a string adds to the pipe, played in the background with a
// pipe that already exists (so no silence is put before it).
int64_t frames_of(const std::string &text)
{
    if (tone_pipe.load() == 0) {
        sound_samples_stream({}, 0, false);
        tone_pipe_prepad.store(false);
    }
    play_lasting.background = 1.0;
    int64_t before = pipe_frames();
    play(text);
    return pipe_frames() - before;
}

template <typename F> int64_t waited_ms(F statement)
{
    int64_t start = fake_now_ms();
    statement();
    return fake_now_ms() - start;
}

// The rendered note that starts at or after `from`: its frame 0 (always 0) and
// the frame after its last non-zero sample.
std::pair<int64_t, int64_t> note_span(const frames &out, int64_t from)
{
    int64_t start = -1;
    for (int64_t i = from; size_t(i) * 2 < out.size() && start < 0; ++i)
        if (out[size_t(i) * 2] != 0)
            start = i - 1;
    int64_t end = start;
    for (int64_t i = start + 1; size_t(i) * 2 < out.size() && i < end + 200; ++i)
        if (out[size_t(i) * 2] != 0)
            end = i + 1;
    return {start, end};
}

} // namespace

TEST_F(play_test, a_quarter_a_at_octave_2_is_a_440_hz_triangle_then_an_eighth_of_silence)
{
    // Foreground: the first note waits 95 % of its ~498 ms less 250 ms.
    EXPECT_EQ(waited_ms([] { play("T120 O2 L4 A"); }), 223);
    play("A");
    frames out = pump_render_until_quiet();
    auto [start1, end1] = note_span(out, 0);
    auto [start2, end2] = note_span(out, end1);
    ASSERT_GE(start1, 0);
    // 7/8 of 0.5 s is 19,293 frames, cut back to the last rising crossing.
    int64_t tone = start2 - start1 - 2756;
    EXPECT_LE(tone, 19293);
    EXPECT_GT(tone, 19293 - 101);
    EXPECT_LE(end1, start1 + tone);
    EXPECT_GE(end1, start1 + tone - 3);
    std::vector<double> wave = left_channel(out, start1, start1 + tone);
    EXPECT_NEAR(crossing_freq_hz(wave), 440.0, 0.2);
    EXPECT_LE(peak(wave), 16382); // volume 50: half scale, less one in the pipe
    EXPECT_GE(peak(wave), 16300);
    EXPECT_EQ(end2 - start2, end1 - start1);
}

TEST_F(play_test, a_chord_sounds_both_notes_at_once)
{
    play("O2 L2 A,>E");
    frames out = pump_render_until_quiet();
    int64_t start = first_sound_frame(out);
    ASSERT_GE(start, 0);
    std::vector<double> mix = left_channel(out, start, start + 30000);
    double a = tone_strength(mix, 440.0);
    double e = tone_strength(mix, 659.26);
    EXPECT_GT(a, 0.15);
    EXPECT_GT(e, 0.15);
    EXPECT_LT(tone_strength(mix, 550.0), 0.02);
    // The chord is as long as its longer note: one half note, not two.
    EXPECT_LT(sound_end_frame(out) - start, 44100);
}

TEST_F(play_test, a_tempo_set_by_one_play_holds_for_the_next)
{
    EXPECT_EQ(play_error("T240"), 0u);
    play("O2 A");
    frames out = pump_render_until_quiet();
    auto [start, end] = note_span(out, 0);
    // 7/8 of 0.25 s.
    EXPECT_LE(end - start, 9646);
    EXPECT_GT(end - start, 9646 - 110);
    EXPECT_EQ(play_lasting.tempo, 240.0);
}

TEST_F(play_test, every_tune_of_the_game_plays_in_game_order)
{
    const char *tunes[] = {
        "MB<<<<L24E-EE-EE-EE->>>>",                            // splash
        "<<L8E,<<B>>B,<<E>>L16A,<<B>>G+F+,<<B>>G+L4E,<<E>>>>", // title
        "MB<<L8EDC<BL2A>>>",                                   // mouse quest
        "<<L12GEGL6>C>",                                       // herb picture
        "MB<<<<L24FEE-DD-C>>>>",                               // swamp
        "MBL32E",                                              // swamp: a hornet
        "MB<<L12GGGGEGL6>C>",                                  // swamp: crossed
        "<<L12GEGL6>C>",                                       // herb picture
        "MB<<L12GGGGEGL6>C>",                                  // forest
        "<<L12GEGL6>C>",                                       // herb picture
        "t240MBL32<<<<FEE-DC+C>>>>",                           // card game
        "MBt240L32<<<<DE-E>>>>",                               // card game
        "<<L12GEGL6>C>",                                       // herb picture
        "L8MB<<E,<<B>>B,<<G+>>E,<<E>>>>",                      // ending
        "MB<<<<L50GG-EE->>>>",                                 // ending
    };
    // Each tune plays out while its scene runs.
    int64_t tune_frames = 0;
    for (const char *tune : tunes) {
        EXPECT_EQ(waited_ms([tune] { play(tune); }), 0) << tune; // all in the background
        EXPECT_EQ(error_pending_take(), 0u) << tune;
        EXPECT_EQ(play_lasting.octave, 4) << tune;
        EXPECT_EQ(play_lasting.background, 1.0) << tune;
        tune_frames += pipe_frames();
        pump_render_until_quiet();
    }
    EXPECT_EQ(play_lasting.tempo, 240.0);
    EXPECT_EQ(play_lasting.length, 50.0);
    EXPECT_GT(tune_frames, 44100 * 10);
}

TEST_F(play_test, refused_strings_are_error_5)
{
    std::vector<std::string> refused = {"C4#",  "C#-",  "C.8", "P0",  "O7", "L65", "T31",
                                        "T256", "V101", "N85", "MB5", "5",  "MX",  "M",
                                        "L8,",  "X",    "C\t", "L",   "N",  "L.",  "C="};
    refused.insert(refused.end(),
                   {"C8=\x02\x10\x01", "L18446744073709551624C", "L99999999999999999999999999C"});
    for (const std::string &text : refused)
        EXPECT_EQ(play_error(text), 5u) << text;
}

TEST_F(play_test, settings_and_lengths)
{
    EXPECT_EQ(frames_of("L 8C"), frames_of("L8C"));
    EXPECT_EQ(frames_of("L1 6C"), frames_of("L16C"));
    EXPECT_EQ(frames_of("5C"), frames_of("L5C"));
    play("L4");
    int64_t quarter = frames_of("P");
    EXPECT_EQ(quarter, 22050);
    EXPECT_EQ(frames_of("C0"), frames_of("C"));
    EXPECT_EQ(frames_of("P."), 33075);
    EXPECT_EQ(frames_of("P.."), 38587);
    EXPECT_EQ(frames_of("T240 L32 P"), 1378); // d0 = 0.03125 s
    play("T120 L4 O4 >>>>>>>");
    EXPECT_EQ(play_lasting.octave, 6);
    play("O1 <<<");
    EXPECT_EQ(play_lasting.octave, 0);
    play("V30 MS");
    EXPECT_EQ(play_lasting.volume, 30.0);
    EXPECT_EQ(play_lasting.articulation, 0.25);
    play("ml");
    EXPECT_EQ(play_lasting.articulation, 0.0);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(play_test, note_pitches)
{
    play_lasting.articulation = 0.0;
    for (auto [text, freq] :
         {std::pair{"O4 C", 1046.5}, {"N0", 65.41}, {"O2 B-", 466.16}, {"O2 G#", 415.3}}) {
        play(std::string("MF") + text);
        frames out = pump_render_until_quiet();
        int64_t start = first_sound_frame(out);
        ASSERT_GE(start, 0) << text;
        std::vector<double> wave = left_channel(out, start, start + 15000);
        EXPECT_NEAR(crossing_freq_hz(wave), freq, freq * 0.002) << text;
    }
}

TEST_F(play_test, mb_from_the_foreground_plays_what_came_before_it_with_waiting)
{
    // C (0.5 s, cut to 499 ms) is streamed with waiting at MB, D at the end
    // without.
    EXPECT_EQ(waited_ms([] { play("CMBD"); }), 224);
    play("MF");
    EXPECT_EQ(waited_ms([] { play("MBC"); }), 0);
    // Already in the background, MB does nothing (and consumes no number).
    EXPECT_EQ(play_error("L8MB"), 0u);
    EXPECT_EQ(play_error("t240MB"), 0u);
}

TEST_F(play_test, an_error_drops_what_the_string_had_gathered)
{
    EXPECT_EQ(play_error("CDE X"), 5u);
    EXPECT_EQ(tone_pipe.load(), 0);
    // Settings executed before the error stay.
    EXPECT_EQ(play_error("T200 L8 Q"), 5u);
    EXPECT_EQ(play_lasting.tempo, 200.0);
    EXPECT_EQ(play_lasting.length, 8.0);
}

TEST_F(play_test, numbers_can_come_from_variables_in_the_dos_string_area)
{
    auto put = [](uint16_t offset, const void *value, size_t size) {
        std::memcpy(emulated_dos_memory + DOS_STRING_AREA + offset, value, size);
    };
    auto ref = [](uint8_t type, uint16_t offset) {
        return std::string{'=', char(type), char(offset & 0xFF), char(offset >> 8)};
    };
    int16_t eight = 8;
    double four_and_a_half = 4.5, nan = std::numeric_limits<double>::quiet_NaN(), big = 3e9;
    uint64_t bits = 0xFFF5; // low 4 bits: 5, or -11 sign-extended from 8 bits
    put(0x10, &eight, 2);
    put(0x20, &four_and_a_half, 8);
    put(0x30, &nan, 8);
    put(0x40, &big, 8);
    put(0x50, &bits, 8);

    play("L" + ref(2, 0x10));
    EXPECT_EQ(play_lasting.length, 8.0);
    play("O" + ref(8, 0x20)); // halves round to even
    EXPECT_EQ(play_lasting.octave, 4);
    play("O" + ref(64 + 4, 0x50));
    EXPECT_EQ(play_lasting.octave, 5);
    play("V" + ref(128 + 64 + 8, 0x50) + "O4"); // no lower bound for V
    EXPECT_EQ(play_lasting.volume, -11.0);
    play("O" + ref(128 + 64 + 8, 0x50) + ">"); // nor for O; ">" only stops at 6
    EXPECT_EQ(play_lasting.octave, -10);
    play("<");
    EXPECT_EQ(play_lasting.octave, 0);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(play_error("L" + ref(8, 0x30)), 5u); // not a number
    EXPECT_EQ(play_error("L" + ref(8, 0x40)), 5u); // beyond 32 bits
    EXPECT_EQ(play_error("L" + ref(64 + 57, 0x50)), 5u);
    EXPECT_EQ(play_error("L" + ref(3, 0x10)), 5u);
    EXPECT_EQ(play_error("L" + ref(2, 0x10) + "5"), 5u); // digits after "="
}

// A ported program's music: a tune in the foreground, a second PLAY that
// relies on the octave, tempo and length the first left, a string that fails
// half-way, a background rest, then SOUND and BEEP on the same pipe.
TEST_F(play_test, a_ported_program_keeps_its_settings_from_tune_to_tune)
{
    // Eleven sixths of a second at T180 L8 (1.5 x for the dot); each note is
    // cut by less than one period of its wave. Waits 95 % of 1,826 ms less 250.
    EXPECT_EQ(waited_ms([] { play("T180 O3 L8 C D E. F16 G4 P8 A+ B- N40 >C<"); }), 1484);
    int64_t tune = pipe_frames();
    EXPECT_LE(tune, 80850);
    EXPECT_GT(tune, 80850 - 9 * 90);
    EXPECT_EQ(play_lasting.octave, 3);
    EXPECT_EQ(play_lasting.tempo, 180.0);
    EXPECT_EQ(play_lasting.length, 8.0);

    // An eighth at T180 in octave 3: too short for a wait of its own, it
    // waits for most of the tune ahead of it.
    int64_t ahead_ms = int64_t(sound_raw_queued_seconds(tone_pipe.load(), 1) * 1000.0);
    EXPECT_EQ(waited_ms([] { play("C"); }), int64_t(ahead_ms * 0.95) - 250);
    int64_t eighth = pipe_frames() - tune;
    EXPECT_LE(eighth, 7350);
    EXPECT_GT(eighth, 7350 - 90);

    // Nothing of a failing string sounds; what it set before the error stays.
    EXPECT_EQ(play_error("O5 T90 L2 C D X E"), 5u);
    EXPECT_EQ(pipe_frames(), tune + eighth);
    EXPECT_EQ(play_lasting.octave, 5);
    EXPECT_EQ(play_lasting.tempo, 90.0);
    EXPECT_EQ(play_lasting.length, 2.0);
    EXPECT_EQ(waited_ms([] { play("MB P"); }), 0); // d0 = 4/3 s, exact for a rest
    EXPECT_EQ(pipe_frames(), tune + eighth + 58800);
    play("MF");

    int64_t before = pipe_frames();
    EXPECT_GT(waited_ms([] { rt_sound(0.0, 9.1); }), 225);
    EXPECT_EQ(error_of([] { rt_sound(32767.0, 9.1); }), 0u);
    EXPECT_EQ(error_of([] { rt_sound(36.9, 9.1); }), 5u);
    EXPECT_EQ(error_of([] { rt_sound(440.0, 65535.5); }), 5u);
    EXPECT_EQ(pipe_frames(), before + 2 * 22050); // silence is never cut
    EXPECT_EQ(waited_ms([] { rt_beep(); }), 250);

    frames out = pump_render(pipe_frames() + 8192);
    int64_t start = first_sound_frame(out) - 1; // a tone's frame 0 is 0
    ASSERT_GE(start, 0);
    EXPECT_NEAR(crossing_freq_hz(left_channel(out, start, start + 6000)), 523.25, 0.5);
    EXPECT_NEAR(crossing_freq_hz(left_channel(out, start + tune, start + tune + 6000)), 523.25,
                0.5);
    EXPECT_EQ(first_sound_frame(frames(out.begin() + 2 * (start + tune + eighth),
                                       out.begin() + 2 * (start + tune + eighth + 58800 + 44100))),
              -1);
    EXPECT_NEAR(crossing_freq_hz(left_channel(out, before + start + 44100, sound_end_frame(out))),
                783.99, 0.5);
}

TEST(play_synth, chords_add_and_clamp_to_32767)
{
    play_pending_buffer buffer;
    play_note_mix(buffer, 0, 0.1, 100.0, 0.0, true);
    std::vector<int16_t> single = buffer.samples;
    play_note_mix(buffer, 0, 0.1, 100.0, 0.0, false);
    ASSERT_EQ(buffer.samples.size(), single.size());
    int16_t high = 0, low = 0;
    for (size_t i = 0; i < single.size(); ++i) {
        int32_t doubled = std::clamp(2 * single[i], -32767, 32767);
        ASSERT_EQ(buffer.samples[i], doubled) << i;
        high = std::max(high, buffer.samples[i]);
        low = std::min(low, buffer.samples[i]);
    }
    EXPECT_EQ(high, 32767);
    EXPECT_EQ(low, -32767);
    EXPECT_EQ(buffer.write_offset, int64_t(single.size()));
}

TEST(play_synth, a_rest_in_a_chord_lets_the_note_start_with_it)
{
    play_pending_buffer buffer;
    play_rest_mix(buffer, 0.5, true);
    play_note_mix(buffer, 0, 0.25, 50.0, 0.0, false);
    EXPECT_EQ(buffer.samples.size(), size_t(22050 * 2));
    EXPECT_NE(buffer.samples[2], 0); // the note begins at the start of the rest
    EXPECT_LT(buffer.write_offset, 11025 * 2);
    EXPECT_TRUE(buffer.pending);
}
