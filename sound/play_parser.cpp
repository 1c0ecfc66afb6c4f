#include "sound/play_parser.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/small_ops.h"
#include "core/strings.h"
#include "sound/play_synth.h"
#include "sound/sound_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

play_settings play_lasting;

namespace
{

// Digits build the number up to this ceiling and stay there, so an overlong
// number is out of every command's range instead of wrapping round to a value
// that looks valid.
constexpr int64_t number_ceiling = int64_t(1) << 31;

constexpr int64_t no_lower_bound = std::numeric_limits<int64_t>::min();

// Semitones of the note letters A to G above C.
constexpr int32_t note_semitones[7] = {9, 11, 0, 2, 4, 5, 7};

// Commands that take a required number, with their ranges.
struct setting_rule {
    char letter;
    int64_t min;
    int64_t max;
};
constexpr setting_rule setting_rules[] = {
    {'L', 1, 64}, {'T', 32, 255}, {'O', no_lower_bound, 6}, {'V', no_lower_bound, 100}};

const setting_rule *setting_rule_of(char letter)
{
    for (const setting_rule &rule : setting_rules)
        if (rule.letter == letter)
            return &rule;
    return nullptr;
}

bool is_note_letter(char c)
{
    return c >= 'A' && c <= 'G';
}

enum class number_source { none, digits, reference };

// What executing the pending command did with its terminating byte.
enum class outcome { dispatch, consumed, refused };

// Reads the value of an "=" reference: a type code and a 16-bit offset into
// the DOS string area. Values beyond the 32-bit range, and values that are no
// number at all, are refused.
std::optional<int64_t> reference_value(uint8_t type, uint16_t offset)
{
    if (!emulated_dos_memory)
        return std::nullopt;
    const uint8_t *p = emulated_dos_memory + DOS_STRING_AREA + offset;
    auto read = [p](auto value) {
        std::memcpy(&value, p, sizeof value);
        return value;
    };
    long double value;
    if (type & 64) {
        uint32_t bits = type & 63;
        if (bits > 56)
            return std::nullopt;
        uint64_t word = read(uint64_t(0)) & ((uint64_t(1) << bits) - 1);
        if ((type & 128) && bits > 0 && (word >> (bits - 1)) & 1)
            word |= ~uint64_t(0) << bits;
        value = (long double)int64_t(word);
    } else {
        switch (type) {
        case 1:
            value = read(int8_t(0));
            break;
        case 129:
            value = read(uint8_t(0));
            break;
        case 2:
            value = read(int16_t(0));
            break;
        case 130:
            value = read(uint16_t(0));
            break;
        case 20:
            value = read(int32_t(0));
            break;
        case 148:
            value = read(uint32_t(0));
            break;
        case 5:
        case 133:
            value = (long double)read(int64_t(0));
            break;
        case 4:
            value = read(float(0));
            break;
        case 8:
            value = read(double(0));
            break;
        case 6: {
            long double extended = 0;
            std::memcpy(&extended, p, 10);
            value = extended;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    if (!(value >= -2147483648.0L && value <= 2147483647.0L))
        return std::nullopt;
    return long_double_to_int64_saturating(std::nearbyint(value)); // nearest, halves to even
}

// One PLAY statement's reading of its string.
class play_reader
{
  public:
    play_reader(const uint8_t *bytes, int32_t length) : bytes_(bytes), length_(length)
    {
        default_duration_update();
    }

    // Reads the whole string; false on a refusal.
    bool run()
    {
        for (;;) {
            if (pos_ >= length_) {
                if (!pending_)
                    break;
                if (!terminate(' '))
                    return false;
                continue;
            }
            uint8_t c = bytes_[pos_++];
            if (c == ' ')
                continue;
            if (!byte_read(c))
                return false;
        }
        if (number_source_ != number_source::none || pending_)
            return false;
        play_buffer_hand_over(buffer_, play_lasting.background == 0.0);
        return true;
    }

  private:
    bool byte_read(uint8_t raw)
    {
        char c = char(raw >= 'a' && raw <= 'z' ? raw - 32 : raw);
        if (c >= '0' && c <= '9')
            return digit_read(c - '0');
        if (c == '.') {
            if (!(is_note_letter(pending_) || pending_ == 'N' || pending_ == 'P'))
                return false;
            ++dots_;
            return true;
        }
        if (c == '=')
            return reference_read();
        return terminate(c);
    }

    bool digit_read(int digit)
    {
        if (dots_ > 0 || number_source_ == number_source::reference)
            return false;
        if (number_source_ == number_source::none) {
            number_ = 0;
            number_source_ = number_source::digits;
        }
        number_ = std::min(number_ * 10 + digit, number_ceiling);
        return true;
    }

    bool reference_read()
    {
        if (dots_ > 0 || number_source_ != number_source::none || length_ - pos_ < 3)
            return false;
        uint8_t type = bytes_[pos_];
        uint16_t offset = uint16_t(bytes_[pos_ + 1] | bytes_[pos_ + 2] << 8);
        pos_ += 3;
        std::optional<int64_t> value = reference_value(type, offset);
        if (!value)
            return false;
        number_ = *value;
        number_source_ = number_source::reference;
        return true;
    }

    // A byte that ends the pending command (if any) and is then dispatched,
    // unless the command used it up.
    bool terminate(char t)
    {
        if (pending_) {
            outcome result = execute(t);
            if (result == outcome::refused)
                return false;
            if (result == outcome::consumed)
                return true;
        }
        return dispatch(t);
    }

    bool dispatch(char t)
    {
        if (t == ' ')
            return true;
        // Each direction stops at its own end only: an octave below 0 (from
        // "=") moves up by one at ">".
        if (t == '<') {
            play_lasting.octave = int32_t(std::max<int64_t>(int64_t(play_lasting.octave) - 1, 0));
            return true;
        }
        if (t == '>') {
            play_lasting.octave = std::min(play_lasting.octave + 1, 6);
            return true;
        }
        if (is_note_letter(t)) {
            k_ = note_semitones[t - 'A'] + 12 * int64_t(play_lasting.octave) - 33;
        } else if (!(t == 'N' || t == 'P' || t == 'M' || setting_rule_of(t))) {
            return false;
        }
        pending_ = t;
        return true;
    }

    outcome execute(char t)
    {
        char command = pending_;
        if (is_note_letter(command) && (t == '-' || t == '+' || t == '#'))
            return accidental_apply(t);
        outcome result;
        if (is_note_letter(command) || command == 'N' || command == 'P')
            result = item_execute(command, t);
        else if (command == 'M')
            result = mode_execute(t);
        else
            result = setting_execute(*setting_rule_of(command));
        // Executing a command uses up its number.
        pending_ = 0;
        number_ = 0;
        number_source_ = number_source::none;
        return result;
    }

    outcome accidental_apply(char t)
    {
        if (accidental_ || number_source_ != number_source::none)
            return outcome::refused;
        accidental_ = true;
        k_ += t == '-' ? -1 : 1;
        return outcome::consumed;
    }

    // A note, numbered note or rest: its duration, then the synthesis.
    outcome item_execute(char command, char t)
    {
        bool given = number_source_ != number_source::none;
        double seconds = default_duration_;
        int64_t k = k_;
        if (command == 'N') {
            if (!given || number_ > 84)
                return outcome::refused;
            k = number_ - 33;
        } else if (command == 'P') {
            if (given && (number_ < 1 || number_ > 64))
                return outcome::refused;
        } else if (given && (number_ < 0 || number_ > 64)) {
            return outcome::refused;
        }
        if (command != 'N' && given && number_ != 0)
            seconds = (60.0 / play_lasting.tempo) * (4.0 / double(number_));
        seconds = dotted(seconds);
        bool chord = t == ',';
        if (command == 'P')
            play_rest_mix(buffer_, seconds, chord);
        else
            play_note_mix(buffer_, k, seconds, play_lasting.volume, play_lasting.articulation,
                          chord);
        dots_ = 0;
        accidental_ = false;
        return chord ? outcome::consumed : outcome::dispatch;
    }

    double dotted(double seconds) const
    {
        double add = seconds;
        for (int32_t i = 0; i < dots_; ++i) {
            add /= 2.0;
            seconds += add;
        }
        return seconds;
    }

    outcome setting_execute(const setting_rule &rule)
    {
        if (number_source_ == number_source::none || number_ < rule.min || number_ > rule.max)
            return outcome::refused;
        switch (rule.letter) {
        case 'L':
            play_lasting.length = double(number_);
            break;
        case 'T':
            play_lasting.tempo = double(number_);
            break;
        case 'O':
            play_lasting.octave = int32_t(number_);
            break;
        default:
            play_lasting.volume = double(number_);
            break;
        }
        default_duration_update();
        return outcome::dispatch;
    }

    // M and its mode letter. MB in the foreground first plays what the string
    // has gathered so far, with waiting; MB in the background does nothing.
    outcome mode_execute(char t)
    {
        if (number_source_ != number_source::none)
            return outcome::refused;
        switch (t) {
        case 'B':
            if (play_lasting.background == 0.0) {
                play_lasting.background = 1.0;
                play_buffer_hand_over(buffer_, true);
            }
            break;
        case 'F':
            play_lasting.background = 0.0;
            break;
        case 'L':
            play_lasting.articulation = 0.0;
            break;
        case 'N':
            play_lasting.articulation = 0.125;
            break;
        case 'S':
            play_lasting.articulation = 0.25;
            break;
        default:
            return outcome::refused;
        }
        return outcome::consumed;
    }

    void default_duration_update()
    {
        default_duration_ = (60.0 / play_lasting.tempo) * (4.0 / play_lasting.length);
    }

    const uint8_t *bytes_;
    int32_t length_;
    int32_t pos_ = 0;
    char pending_ = 0;
    int64_t number_ = 0;
    number_source number_source_ = number_source::none;
    int64_t k_ = 0;
    bool accidental_ = false;
    int32_t dots_ = 0;
    double default_duration_ = 0.0;
    play_pending_buffer buffer_;
};

} // namespace

void rt_play(const string_descriptor *s)
{
    sound_sweep();
    int32_t length = s && s->chr ? std::max(s->len, 0) : 0;
    play_reader reader(length ? s->chr : nullptr, length);
    if (!reader.run())
        error_raise(5);
}

void play_settings_reset()
{
    play_lasting = play_settings{};
}
