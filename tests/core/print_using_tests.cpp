#include "tests/core/string_test_support.h"

#include "core/errors.h"
#include "core/print_using_internal.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace
{

using item = std::variant<int64_t, uint64_t, float, double, long double, std::string>;

// PRINT USING format; items...: the text built, or "ERROR n".
std::string using_text(const std::string &format, const std::vector<item> &items)
{
    string_descriptor *f = literal(format);
    string_descriptor *dest = variable("");
    int32_t at = 0;
    for (const item &it : items) {
        if (auto *s = std::get_if<std::string>(&it))
            at = print_using_number(f, at, dest, literal(*s));
        else
            at = std::visit(
                [&](auto v) -> int32_t {
                    using T = decltype(v);
                    if constexpr (std::is_same_v<T, int64_t>)
                        return rt_print_using_integer64(f, v, at, dest);
                    else if constexpr (std::is_same_v<T, uint64_t>)
                        return rt_print_using_uinteger64(f, v, at, dest);
                    else if constexpr (std::is_same_v<T, float>)
                        return rt_print_using_single(f, v, at, dest);
                    else if constexpr (std::is_same_v<T, double>)
                        return rt_print_using_double(f, v, at, dest);
                    else if constexpr (std::is_same_v<T, long double>)
                        return rt_print_using_long_double(f, v, at, dest);
                    else
                        return 0;
                },
                it);
    }
    if (const uint32_t n = error_pending_take())
        return "ERROR " + std::to_string(n);
    return text_of(dest);
}

struct using_case {
    const char *format;
    item value;
    const char *expected;
};

void expect_cases(const std::vector<using_case> &cases)
{
    for (const using_case &c : cases)
        EXPECT_EQ(using_text(c.format, {c.value}), c.expected)
            << "format \"" << c.format << "\", item #" << c.value.index();
}

using print_using = StringTest;

TEST_F(print_using, fields_as_designed)
{
    expect_cases({
        {"###", 12.0, " 12"},
        {"###", -5.0, " -5"},
        {"###", 1234.0, "%1234"},
        {"#,###", 1234.0, "1,234"},
        {"**$##.##", 12.5, "**$12.50"},
        {"$$###", 12.0, "  $12"},
        {"##.##", 0.5, " 0.50"},
        {"##.##", -0.5, "-0.50"},
        {"##.##", 2.375, " 2.38"},
        {"##.##", -2.375, "-2.38"},
        {"##.##^^^^", 123.456, " 1.23E+02"},
        {"+#.##^^^^", 123.456, "+1.23E+02"},
        {"###-", -7.0, "  7-"},
        {"###-", 7.0, "  7 "},
        {"###+", 7.0, "  7+"},
        {"+###", -7.0, "-  7"},
        {"**###", 42.0, "***42"},
        {"##,###.##", 12345.678, "12,345.68"},
        {"#,###,###", int64_t(1234567), "1,234,567"},
        {"#,###", int64_t(12345), "%12,345"},
        {"##.##^^^^^", 123.456, " 1.23E+002"},
        {"##.##^^^^", 1e123, "% 1.00E+123"},
        {"##^^^^", -5.0, "-5E+00"},
        {"_#_&##", 3.0, "#& 3"},
        {"##_", 3.0, " 3_"},
        {"\\  \\", std::string("abcdef"), "abcd"},
        {"!", std::string("abcdef"), "a"},
        {"\\    \\|", std::string("ab"), "ab    |"},
        {"[&]", std::string("abc"), "[abc]"},
    });
}

// The sign place of exponent fields: with one integer place the sign takes
// it, and a positive value prints '0' there, so 9.99 rounds to 0.1E+02.
TEST_F(print_using, exponent_sign_place)
{
    expect_cases({
        {"#.#^^^^", 9.99, "0.1E+02"},
        {"#.##^^^^", 1.5, "0.15E+01"},
        {"#.##^^^^", -1.5, "-.15E+01"},
        {".#^^^^", 5.0, " 5E+00"},
        {"#^^^^", 5.0, "5E+00"},
        {"#^^^^", -5.0, "%-5E+00"},
        {"###.#^^^^", 99.96, " 10.0E+01"},
    });
}

TEST_F(print_using, zero_of_every_type_prints_alike)
{
    const std::vector<item> zeros = {int64_t(0), uint64_t(0), 0.0f, -0.0f, 0.0, -0.0, 0.0L, -0.0L};
    for (const item &z : zeros) {
        EXPECT_EQ(using_text(".##", {z}), ".00") << z.index();
        EXPECT_EQ(using_text("##.##", {z}), " 0.00") << z.index();
        const bool long_double = std::holds_alternative<long double>(z);
        EXPECT_EQ(using_text("##.##^^^^", {z}), long_double ? " 0.00F+00" : " 0.00E+00");
        EXPECT_EQ(using_text("+#", {z}), "+0") << z.index();
    }
}

TEST_F(print_using, rounding_half_away_from_zero_at_any_place)
{
    expect_cases({
        {"#.#", 0.05, "0.1"},
        {".##", 0.005, ".01"},
        {".##", 0.0005, ".00"},
        {"#.##", 9.999, "%10.00"},
        {"#.##", -0.001, "-.00"},
        {"##", 0.5, " 1"},
        {"##", 2.5, " 3"},
        {"##", -2.5, "-3"},
        {"#", 0.4, "0"},
        {"###.##", 999.999, "%1000.00"},
        {"##.#", 0.25f, " 0.3"},
        {".#", 0.96, "%1.0"},
    });
}

TEST_F(print_using, integer_limits)
{
    expect_cases({
        {"####################", std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
        {"#", std::numeric_limits<int64_t>::max(), "%9223372036854775807"},
        {"#", std::numeric_limits<uint64_t>::max(), "%18446744073709551615"},
        {"#.##^^^^", std::numeric_limits<int64_t>::min(), "-.92E+19"},
    });
}

TEST_F(print_using, long_double_extremes_keep_every_digit)
{
    const std::string big = using_text("#", {LDBL_MAX});
    ASSERT_EQ(big.size(), 1u + 4933u);
    EXPECT_EQ(big.substr(0, 11), "%1189731495");
    EXPECT_EQ(using_text("##.##^^^^^", {-LDBL_MAX}), "%-1.19F+4932");
    EXPECT_EQ(using_text("##.##^^^^^", {std::numeric_limits<long double>::denorm_min()}),
              "% 3.65F-4951");
    EXPECT_EQ(using_text("##.##^^^^", {1e-300L}), "% 1.00F-300");
    EXPECT_EQ(using_text("#.##", {LDBL_MIN}), "0.00");
    EXPECT_EQ(using_text("##.##^^^^", {DBL_MAX}).substr(0, 11), "% 1.80E+308");
    EXPECT_EQ(using_text("##.##^^^^", {DBL_TRUE_MIN}), "% 4.94E-324");
}

TEST_F(print_using, items_share_the_format_and_wrap_around)
{
    EXPECT_EQ(using_text("A ## B", {1.0, 2.0, 3.0}), "A  1 BA  2 BA  3 B");
    EXPECT_EQ(using_text("## & ", {1.0, std::string("x"), 2.0}), " 1 x  2 ");
    EXPECT_EQ(using_text("<#>", {int64_t(1), int64_t(2)}), "<1><2>");

    // The position returned is that of the next field, 0 past the last one.
    string_descriptor *f = literal("x# y# z");
    string_descriptor *dest = variable("start:");
    EXPECT_EQ(rt_print_using_integer64(f, 1, 0, dest), 4);
    EXPECT_EQ(rt_print_using_integer64(f, 2, 4, dest), 0);
    EXPECT_EQ(rt_print_using_integer64(f, 3, 0, dest), 4);
    EXPECT_EQ(text_of(dest), "start:x1 y2 zx3 y");
    // A start position outside the format searches from the beginning.
    EXPECT_EQ(rt_print_using_integer64(f, 4, 99, dest), 4);
}

TEST_F(print_using, errors_append_nothing)
{
    EXPECT_EQ(using_text("abc", {1.0}), "ERROR 5");
    EXPECT_EQ(using_text("", {std::string("s")}), "ERROR 5");
    EXPECT_EQ(using_text("###", {std::string("s")}), "ERROR 13");
    EXPECT_EQ(using_text("A &", {1.0}), "ERROR 13");
    EXPECT_EQ(using_text("###", {HUGE_VAL}), "ERROR 5");
    EXPECT_EQ(using_text("###", {std::nan("")}), "ERROR 5");
    EXPECT_EQ(using_text("###", {-HUGE_VALL}), "ERROR 5");

    string_descriptor *dest = variable("kept");
    EXPECT_EQ(rt_print_using_double(literal("x ###"), 1.0, 0, variable("")), 0);
    error_raise(7);
    EXPECT_EQ(rt_print_using_double(literal("###"), 1.0, 0, dest), 0);
    EXPECT_EQ(print_using_number(literal("&"), 0, dest, literal("s")), 0);
    EXPECT_EQ(error_pending_take(), 7u);
    EXPECT_EQ(text_of(dest), "kept");
}

// Field ends near the format's end: partial carets, lead-ins and string
// fields are literals or shorter fields, never read past the end.
TEST_F(print_using, field_parse_stops_at_the_format_end)
{
    expect_cases({
        {"##^^^", 5.0, " 5^^^"},
        {"#.#^^", 5.0, "5.0^^"},
        {"**", 5.0, "*5"},
        {"$$", 5.0, "$5"},
        {"**$", 5.0, "*$5"},
        {"+", 5.0, "ERROR 5"},
        {"\\ ", std::string("ab"), "ERROR 5"},
        {"\\ \\", std::string("abcd"), "abc"},
        {"_", std::string("ab"), "ERROR 5"},
        {"x\\", std::string("ab"), "ERROR 5"},
        {".", 5.0, "ERROR 5"},
        {"+.#", 0.25, "+.3"},
    });
    using_field field;
    const format_text carets{"#^^^^^^", 7};
    EXPECT_EQ(numeric_field_parse(carets, 0, field), 6);
    EXPECT_EQ(field.exponent_digits, 3);
}

TEST_F(print_using, destination_may_be_a_temporary)
{
    string_descriptor *dest = own_temp("t=");
    EXPECT_EQ(rt_print_using_double(literal("#.#"), 1.25, 0, dest), 0);
    EXPECT_EQ(text_of(dest), "t=1.3");
    EXPECT_TRUE(string_tables_consistent());
}

} // namespace
