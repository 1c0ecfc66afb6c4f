#include "screen/input_editor_internal.h"

#include "core/number_scan.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t FLOAT = NUMERIC_TYPE_FLOAT;
constexpr uint32_t UNSIGNED = NUMERIC_TYPE_UNSIGNED;

// Whether a field is valid for a type; its value in *value.
bool takes(const std::string &field, uint32_t type_word, input_value *value = nullptr)
{
    input_value v{};
    const bool ok = input_field_check(reinterpret_cast<const uint8_t *>(field.data()),
                                      int32_t(field.size()), false, type_word, &v);
    if (value)
        *value = v;
    return ok;
}

// Fields of a line for a table of type words (strings without a variable);
// -1 when the line is invalid.
int32_t fields(const std::string &line, std::initializer_list<uint32_t> types)
{
    std::vector<input_target> targets;
    for (uint32_t t : types)
        targets.push_back({nullptr, t});
    std::vector<input_value> values(targets.size());
    return input_line_check(reinterpret_cast<const uint8_t *>(line.data()), int32_t(line.size()),
                            targets.data(), int32_t(targets.size()), false, values.data());
}

TEST(input_fields, integers_take_decimal_and_hex_octal_forms_within_their_type)
{
    struct cases {
        uint32_t type;
        std::vector<std::string> taken, refused;
    };
    const cases all[] = {
        {16,
         {"", "-", "-0", "&", "&h", "&o", "&HFFFF", "&O177777", "32767", "-32768"},
         {"00", "-05", " 5", "1.5", "&H0FFFF", "&H10000", "&O277777", "&O1777777", "&HG", "&O8",
          "&X1", "32768", "-32769"}},
        {8, {"-128", "127"}, {"128", "-129"}},
        {8 | UNSIGNED, {"255", "&HFF"}, {"256", "-", "&H100"}},
        {64,
         {"9223372036854775807", "-9223372036854775808", "&HFFFFFFFFFFFFFFFF",
          "&O1777777777777777777777"},
         {"9223372036854775808", "&H10000000000000000", "&O2000000000000000000000"}},
        {64 | UNSIGNED, {"18446744073709551615"}, {"18446744073709551616", "-1"}},
    };
    for (const cases &c : all) {
        for (const std::string &f : c.taken)
            EXPECT_TRUE(takes(f, c.type)) << f << " type " << c.type;
        for (const std::string &f : c.refused)
            EXPECT_FALSE(takes(f, c.type)) << f << " type " << c.type;
    }

    input_value v;
    ASSERT_TRUE(takes("&HFFFF", 16, &v));
    EXPECT_EQ(uint16_t(v.bits), 0xFFFF); // stored as -1
    ASSERT_TRUE(takes("-32768", 16, &v));
    EXPECT_EQ(int16_t(v.bits), -32768);
}

TEST(input_fields, real_grammar_accepts_every_prefix_of_a_number)
{
    for (const char *ok : {"", "-", ".", "-.", "0", "0.", "0.5", "1.", "1e", "1E-", "-.5e+3",
                           "12.25D2", "&H1F", "1d"})
        EXPECT_TRUE(takes(ok, FLOAT | 64)) << ok;
    for (const char *bad :
         {"05", "0e1", "e5", ".e5", "-e", "1..2", "1e5.0", "1e+-2", "+1", "1 ", "1,"})
        EXPECT_FALSE(takes(bad, FLOAT | 64)) << bad;
    EXPECT_FALSE(takes("1d", FLOAT | 32));
    EXPECT_TRUE(takes("1e", FLOAT | 32));

    input_value v;
    ASSERT_TRUE(takes("12.25D2", FLOAT | 64, &v));
    EXPECT_EQ(v.double_value, 1225.0);
    ASSERT_TRUE(takes("-", FLOAT | 32, &v));
    EXPECT_FALSE(std::signbit(v.single_value));
    ASSERT_TRUE(takes("&H1F", FLOAT | 32, &v));
    EXPECT_EQ(v.single_value, 31.0f);
}

TEST(input_fields, real_ranges_and_values_that_would_overflow_to_infinity)
{
    input_value v;
    // Double: the largest value, digits past it, and a value that only the
    // conversion shows to round to infinity.
    ASSERT_TRUE(takes("1.7976931e308", FLOAT | 64, &v));
    EXPECT_FALSE(takes("1.7976932e308", FLOAT | 64));
    EXPECT_FALSE(takes("1.79769314e308", FLOAT | 64));
    EXPECT_FALSE(takes("17976931348623157e292", FLOAT | 64)); // 17 digits
    ASSERT_TRUE(takes("1797693134862315e293", FLOAT | 64, &v));
    EXPECT_EQ(v.double_value, 1.797693134862315e308);
    EXPECT_FALSE(takes("1e309", FLOAT | 64));
    ASSERT_TRUE(takes("4.940656e-324", FLOAT | 64, &v));
    EXPECT_EQ(v.double_value, 4.9406564584124654e-324);
    EXPECT_FALSE(takes("4.940655e-324", FLOAT | 64));
    EXPECT_TRUE(takes("0." + std::string(322, '0'), FLOAT | 64));
    EXPECT_FALSE(takes("0." + std::string(323, '0'), FLOAT | 64));

    // Single.
    ASSERT_TRUE(takes("34028234e31", FLOAT | 32, &v));
    EXPECT_EQ(v.single_value, FLT_MAX);
    EXPECT_FALSE(takes("3.4028236e38", FLOAT | 32)); // rounds to infinity
    EXPECT_FALSE(takes("3.402824e38", FLOAT | 32));
    EXPECT_FALSE(takes("1.23456789", FLOAT | 32)); // nine digits
    ASSERT_TRUE(takes("1.401298e-45", FLOAT | 32, &v));
    EXPECT_EQ(v.single_value, 1.401298464e-45f);
    EXPECT_FALSE(takes("1.401297e-45", FLOAT | 32));

    // The longest real: an 80-bit extended.
    ASSERT_TRUE(takes("1.1897314e4932", FLOAT | 256, &v));
    EXPECT_FALSE(takes("1.18973150e4932", FLOAT | 256));
    EXPECT_FALSE(takes("1.1897315e4932", FLOAT | 256));
    ASSERT_TRUE(takes("1e4000", FLOAT | 256, &v));
    EXPECT_EQ(v.longest_value, 1e4000L);
}

TEST(input_fields, lines_split_at_commas_outside_quotes)
{
    const uint32_t S = INPUT_TYPE_STRING;
    EXPECT_EQ(fields("", {16, 16}), 1);
    EXPECT_EQ(fields("1,", {16, 16}), 2);
    EXPECT_EQ(fields("1,2,", {16, 16}), -1); // more fields than targets
    EXPECT_EQ(fields("\"a,b\"", {S}), 1);
    EXPECT_EQ(fields("\"a,b", {S}), 1);      // still open
    EXPECT_EQ(fields("\"a\"b", {S, S}), -1); // only a comma after the quote
    EXPECT_EQ(fields("\"a\",b", {S, S}), 2);
    EXPECT_EQ(fields("\"1\"", {16}), -1); // numbers are never quoted
}

} // namespace
