#include "core/errors.h"
#include "core/string_builtins.h"
#include "tests/core/string_test_support.h"

#include <string>

namespace
{

using Val = StringTest;

TEST_F(Val, ValueTable)
{
    struct row {
        const char *text;
        long double value;
    } rows[] = {
        {"", 0},
        {"abc", 0},
        {"1 2", 12},
        {" -1.5e2", -150},
        {"\t3", 3},
        {"+5", 5},
        {"5-", 5},
        {"12abc", 12},
        {"0000123", 123},
        {".5", 0.5L},
        {"-.25", -0.25L},
        {"0.05", 0.05L},
        {"1.5.5", 1.5L},
        {"1e", 1},
        {"1d2", 100},
        {"1 E - 0 3", 0.001L},
        {"1e+0003", 1000},
        {"12.5E-1", 1.25L},
        {"1E-400", 1E-400L},
        {"1E4000", 1E4000L}, // within the extended range
        {"-0", 0},
        {"-&H10", 0},
        {"E5", 0},
        {"1E0000000000000000000005", 1E5L}, // leading exponent zeros are skipped
        // Integers of nineteen and more digits do not wrap.
        {"123456789012345678", 123456789012345678.0L},
        {"9223372036854775807", 9223372036854775807.0L},
        {"9223372036854775808", 9223372036854775808.0L},
        {"-9223372036854775809", -9223372036854775809.0L},
        {"18446744073709551615", 18446744073709551615.0L},
        {"123456789012345678901234", 123456789012345678901234.0L},
        // Hexadecimal and octal.
        {"&HFF", 255},
        {"  &h f f", 255},
        {"&o17", 15},
        {"&O178", 15},
        {"&H1G", 1},
        {"&HFFFFFFFFFFFFFFFF", -1},
        {"&H7FFFFFFFFFFFFFFF", 9223372036854775807.0L},
        {"&H0000000000000000000000001", 1}, // leading zeros are not significant
        {"&O1777777777777777777777", -1},   // 22 digits, the first at most 1
        {"&H", 0},
        {"&", 0},
        {"&X12", 0},
    };
    for (const row &r : rows)
        EXPECT_EQ(rt_val(literal(r.text)), r.value) << '"' << r.text << '"';
}

TEST_F(Val, HexadecimalAndOctalOverflowIsErrorSix)
{
    for (const char *text :
         {"&H10000000000000000", "&O2000000000000000000000", "&O12345670123456701234567"}) {
        EXPECT_EQ(rt_val(literal(text)), 0) << text;
        EXPECT_EQ(error_pending_take(), 6u) << text;
    }
}

TEST_F(Val, LongMantissasKeepTheirScale)
{
    std::string digits(300, '1');
    long double v = rt_val(literal(digits));
    EXPECT_NEAR(double(v / 1.1111111111111111111E299L), 1.0, 1E-15);
    EXPECT_EQ(rt_val(literal("0." + std::string(400, '0') + "25")), 2.5E-401L);
}

TEST_F(Val, DoesNotConsumeItsArgument)
{
    string_descriptor *t = own_temp("42");
    EXPECT_EQ(rt_val(t), 42);
    EXPECT_EQ(text_of(t), "42");
}

} // namespace
