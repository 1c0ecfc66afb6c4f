#include "files/com_options.h"

#include "files/handle_table.h"

#include <algorithm>
#include <cstring>

namespace
{

// Numbers stop growing here while their digits are read, so a long run of
// digits can never wrap around into a small value that passes a range test.
constexpr uint64_t NUMBER_CAP = uint64_t(1) << 40;
constexpr int32_t PORT_MAX = 255;
constexpr int32_t WORD_MAX = 3;

constexpr int32_t NOT_GIVEN = -1;

// The settings of one parse; NOT_GIVEN until an option sets them.
struct com_settings {
    int64_t speed = NOT_GIVEN;
    int32_t parity = NOT_GIVEN;
    int32_t data_bits = NOT_GIVEN;
    int32_t stop_bits_x10 = NOT_GIVEN;
    int32_t asc = NOT_GIVEN;
    int32_t lf = NOT_GIVEN;
    int32_t rs = NOT_GIVEN;
    int32_t times_ms[4] = {NOT_GIVEN, NOT_GIVEN, NOT_GIVEN, NOT_GIVEN}; // CD, CS, DS, OP
    bool tb = false;
    bool rb = false;
};

enum time_index { TIME_CD, TIME_CS, TIME_DS, TIME_OP };

// One field of the option list: its letters (in the stop-bits field every
// character) and the number its digits form.
struct option_field {
    char word[WORD_MAX + 1] = {};
    int32_t word_len = 0;
    bool has_number = false;
    uint64_t number = 0;

    bool word_is(const char *w) const { return std::strcmp(word, w) == 0; }
};

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Adds a digit to a number, saturating at NUMBER_CAP.
uint64_t number_grow(uint64_t n, char digit)
{
    return std::min(n * 10 + uint64_t(digit - '0'), NUMBER_CAP);
}

// The port of a COM name: 1 to 255; 0 when the name is not a COM name; -1
// when it is one with a malformed port. *options gets the text after ':'.
int32_t port_parse(std::string_view name, std::string_view *options)
{
    if (name.size() < 3 || upper(name[0]) != 'C' || upper(name[1]) != 'O' || upper(name[2]) != 'M')
        return 0;
    size_t colon = name.find(':', 3);
    if (colon == std::string_view::npos)
        return 0;
    std::string_view digits = name.substr(3, colon - 3);
    if (!std::all_of(digits.begin(), digits.end(), is_digit))
        return 0;
    if (!digits.empty() && digits[0] == '0')
        return 0;
    uint64_t port = 0;
    for (char d : digits)
        port = number_grow(port, d);
    if (port < 1 || port > uint64_t(PORT_MAX))
        return -1;
    *options = name.substr(colon + 1);
    return int32_t(port);
}

// Reads one field from at up to the next comma (which it passes) or the end.
// False when a character is not allowed, a letter follows a digit, a number
// has a leading zero or the word grows past three characters.
bool field_read(std::string_view text, size_t &at, bool stop_bits, option_field &f)
{
    bool digit_seen = false;
    for (; at < text.size(); ++at) {
        char c = upper(text[at]);
        if (c == ',') {
            ++at;
            return true;
        }
        bool letter = c >= 'A' && c <= 'Z';
        if (letter && digit_seen)
            return false;
        if (is_digit(c) && !stop_bits) {
            if (f.has_number && f.number == 0)
                return false; // a leading zero
            f.number = number_grow(f.number, c);
            f.has_number = digit_seen = true;
            continue;
        }
        if (!letter && !is_digit(c) && !(stop_bits && c == '.'))
            return false;
        if (f.word_len == WORD_MAX)
            return false;
        f.word[f.word_len++] = c;
        digit_seen = digit_seen || is_digit(c);
    }
    return true;
}

bool speed_store(const option_field &f, com_settings &s)
{
    if (f.word_len != 0 || (f.has_number && (f.number == 0 || f.number > uint64_t(INT32_MAX))))
        return false;
    if (f.has_number)
        s.speed = int64_t(f.number);
    return true;
}

bool parity_store(const option_field &f, com_settings &s)
{
    static constexpr const char *words[] = {"N", "E", "O", "S", "M", "PE"};
    if (f.has_number)
        return false;
    if (f.word_len == 0)
        return true;
    for (int32_t code = 0; code < 6; ++code)
        if (f.word_is(words[code])) {
            s.parity = code;
            return true;
        }
    return false;
}

bool data_bits_store(const option_field &f, com_settings &s)
{
    if (f.word_len != 0 || (f.has_number && (f.number < 5 || f.number > 8)))
        return false;
    if (f.has_number)
        s.data_bits = int32_t(f.number);
    return true;
}

bool stop_bits_store(const option_field &f, com_settings &s)
{
    if (f.word_len == 0)
        return true;
    if (f.word_is("1"))
        s.stop_bits_x10 = 10;
    else if (f.word_is("1.5"))
        s.stop_bits_x10 = 15;
    else if (f.word_is("2"))
        s.stop_bits_x10 = 20;
    else
        return false;
    return true;
}

// A flag option: given at most once.
bool flag_set(int32_t &flag, int32_t value)
{
    if (flag != NOT_GIVEN)
        return false;
    flag = value;
    return true;
}

// A time option: at most once, its number up to 65535 or else its default.
bool time_set(const option_field &f, com_settings &s, time_index i)
{
    static constexpr int32_t defaults_ms[] = {0, 1000, 1000, 10000};
    if (s.times_ms[i] != NOT_GIVEN || (f.has_number && f.number > uint64_t(COM_TIME_MAX_MS)))
        return false;
    s.times_ms[i] = f.has_number ? int32_t(f.number) : defaults_ms[i];
    return true;
}

// An option word of field 5 onward. A number after a word other than the
// four times is ignored.
bool option_store(const option_field &f, com_settings &s)
{
    static constexpr const char *time_words[] = {"CD", "CS", "DS", "OP"};
    for (int32_t i = 0; i < 4; ++i)
        if (f.word_is(time_words[i]))
            return time_set(f, s, time_index(i));
    if (f.word_is("RS"))
        return flag_set(s.rs, 1);
    if (f.word_is("LF"))
        return flag_set(s.lf, 1);
    if (f.word_is("BIN"))
        return flag_set(s.asc, 0);
    if (f.word_is("ASC"))
        return flag_set(s.asc, 1);
    bool *seen = f.word_is("TB") ? &s.tb : f.word_is("RB") ? &s.rb : nullptr;
    if (!seen || *seen)
        return false; // unknown, empty, digits alone, or a repeated TB or RB
    *seen = true;
    return true;
}

// Checks and stores field number `index` (1-based).
bool field_store(int32_t index, const option_field &f, com_settings &s)
{
    switch (index) {
    case 1:
        return speed_store(f, s);
    case 2:
        return parity_store(f, s);
    case 3:
        return data_bits_store(f, s);
    case 4:
        return stop_bits_store(f, s);
    default:
        return option_store(f, s);
    }
}

template <typename T> void default_to(T &v, T value)
{
    if (v == NOT_GIVEN)
        v = value;
}

// Fills every setting still not given and copies the result into the record.
void settings_finish(com_settings &s, os_handle_record &r)
{
    default_to<int64_t>(s.speed, 300);
    default_to(s.parity, int32_t(COM_PARITY_EVEN));
    default_to(s.data_bits, 7);
    default_to(s.stop_bits_x10, s.speed > 110 ? 10 : s.data_bits == 5 ? 15 : 20);
    default_to(s.asc, 0);
    default_to(s.lf, 0);
    default_to(s.rs, 0);
    default_to(s.times_ms[TIME_CD], 0);
    default_to(s.times_ms[TIME_CS], 1000);
    default_to(s.times_ms[TIME_DS], 1000);
    default_to(s.times_ms[TIME_OP],
               std::min(10 * std::max(s.times_ms[TIME_CD], s.times_ms[TIME_DS]), COM_TIME_MAX_MS));
    r.speed = int32_t(s.speed);
    r.parity = uint8_t(s.parity);
    r.data_bits = uint8_t(s.data_bits);
    r.stop_bits_x10 = uint8_t(s.stop_bits_x10);
    r.asc = uint8_t(s.asc);
    r.lf = s.asc == 1 ? uint8_t(s.lf) : 0;
    r.rs = uint8_t(s.rs);
    r.cd_ms = s.times_ms[TIME_CD];
    r.cs_ms = s.times_ms[TIME_CS];
    r.ds_ms = s.times_ms[TIME_DS];
    r.op_ms = s.times_ms[TIME_OP];
}

} // namespace

int32_t com_open_parse(std::string_view name, os_handle_record &record)
{
    record.com_port = 0;
    std::string_view options;
    int32_t port = port_parse(name, &options);
    if (port <= 0)
        return port;
    com_settings s;
    size_t at = 0;
    for (int32_t index = 1; at < options.size(); ++index) {
        option_field f;
        if (!field_read(options, at, index == 4, f) || !field_store(index, f, s))
            return -1;
    }
    settings_finish(s, record);
    record.com_port = uint8_t(port);
    return 0;
}
