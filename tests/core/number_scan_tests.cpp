#include "core/number_scan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cstdlib>
#include <random>
#include <string>

namespace
{

// Scans one item of text with the DATA scanner.
int32_t scan(const std::string &text)
{
    int32_t position = 0;
    return data_scan_number(reinterpret_cast<const uint8_t *>(text.data()), &position,
                            int32_t(text.size()));
}

std::string scanned_digits()
{
    return std::string(scanned_number.digits, scanned_number.digit_count);
}

TEST(NumberScan, RecordTable)
{
    struct row {
        const char *text;
        const char *digits;
        int64_t exponent;
        int negative;
        int base;
    } rows[] = {
        {"12.5", "125", 1, 0, NUMBER_BASE_DECIMAL},
        {".05", "5", -2, 0, NUMBER_BASE_DECIMAL},
        {"1E3", "1", 3, 0, NUMBER_BASE_DECIMAL},
        {"-0", "", 0, 0, NUMBER_BASE_DECIMAL},
        {"-00.000", "", 0, 0, NUMBER_BASE_DECIMAL},
        {"100", "100", 2, 0, NUMBER_BASE_DECIMAL},
        {"-0012.50e-0003", "1250", -2, 1, NUMBER_BASE_DECIMAL},
        {"+.5D+2", "5", 1, 0, NUMBER_BASE_DECIMAL},
        {"1e", "1", 0, 0, NUMBER_BASE_DECIMAL},
        {"&H00Ff", "00Ff", 0, 0, NUMBER_BASE_HEX},
        {"&o017", "017", 0, 0, NUMBER_BASE_OCTAL},
        {"&H", "", 0, 0, NUMBER_BASE_DECIMAL},
        {"", "", 0, 0, NUMBER_BASE_DECIMAL},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.text);
        // An empty item is only an item when a comma ends it.
        ASSERT_EQ(scan(std::string(r.text) + ","), SCAN_OK);
        EXPECT_EQ(scanned_digits(), r.digits);
        EXPECT_EQ(scanned_number.exponent, r.exponent);
        EXPECT_EQ(scanned_number.negative, r.negative);
        EXPECT_EQ(scanned_number.base, r.base);
    }
}

TEST(NumberScan, DigitLimits)
{
    EXPECT_EQ(scan(std::string(256, '7')), SCAN_OK);
    EXPECT_EQ(scan(std::string(257, '7')), SCAN_TOO_MANY_DIGITS);
    EXPECT_EQ(scan("0." + std::string(1000, '0') + "1"), SCAN_OK); // zeros are not stored
    EXPECT_EQ(scanned_number.exponent, -1001);
    EXPECT_EQ(scan("1E" + std::string(18, '9')), SCAN_OK);
    EXPECT_EQ(scan("1E" + std::string(19, '9')), SCAN_TOO_MANY_DIGITS);
    EXPECT_EQ(scan("1E" + std::string(30, '0') + "5"), SCAN_OK);
    EXPECT_EQ(scanned_number.exponent, 5);
}

TEST(NumberScan, DataSyntax)
{
    for (const char *bad : {"12x", " 5", "1-2", "1.2.3", "1E2E3", "&X1", "&H1G", "&O8", "5&"})
        EXPECT_EQ(scan(bad), SCAN_FAILED) << bad;
    EXPECT_EQ(scan("&,"), SCAN_OK);
    EXPECT_EQ(scan("&"), SCAN_OK);
    EXPECT_EQ(scanned_number.digit_count, 0);
    int32_t position = 5;
    EXPECT_EQ(data_scan_number(reinterpret_cast<const uint8_t *>("1,2"), &position, 3),
              SCAN_NO_ITEM);
}

template <typename T> struct conversion_row {
    const char *text;
    bool fits;
    T value;
};

// Scans each row's text, converts it with to() and, where it fits, compares
// the result that to() stores.
template <typename T, size_t N>
void expect_conversions(const conversion_row<T> (&rows)[N], bool (*to)(), const T &result)
{
    for (const conversion_row<T> &r : rows) {
        SCOPED_TRACE(r.text);
        ASSERT_EQ(scan(r.text), SCAN_OK);
        EXPECT_EQ(to(), r.fits);
        if (r.fits) {
            EXPECT_EQ(result, r.value);
        }
    }
}

TEST(NumberScan, ToFloatTable)
{
    const conversion_row<long double> rows[] = {
        {"2.6", true, 2.6},
        {"-12.5E+1", true, -125},
        {"1E-400", true, 0},
        {"1E-324", true, 0},
        {"5E-324", true, 4.9406564584124654E-324},
        {"1E309", false, 0},
        {"1.7976931348623157E308", true, DBL_MAX},
        {"1.7976931348623158E308", false, 0},
        // Digits after the 17th are ignored: a tie, though the full text is above it.
        {"9007199254740993.01", true, 9007199254740992.0L},
        {"0.9E308", true, 0.9E308},
        {"&HFFFFFFFFFFFFFFFF", true, -1},
        {"&H10000000000000000", false, 0},
        {"&H00000000000000000000FF", true, 255}, // leading zeros do not count
        {"&O1777777777777777777777", true, -1},
        {"&O2000000000000000000000", false, 0},
        {"&O0000002000000000000000000000", false, 0},
        {"&O00000000000000000000000017", true, 15},
    };
    expect_conversions(rows, number_to_float, scanned_number.float_result);
}

TEST(NumberScan, ToInt64Table)
{
    const conversion_row<int64_t> rows[] = {
        {"9223372036854775807", true, INT64_MAX},
        {"9223372036854775808", false, 0},
        {"-9223372036854775808", true, INT64_MIN},
        {"-9223372036854775808.4", true, INT64_MIN},
        {"-9223372036854775808.5", false, 0},
        {"-9223372036854775809", false, 0},
        {"9223372036854775807.5", false, 0},
        {"9.2E18", true, 9200000000000000000},
        {"1E19", false, 0},
        {"2.5", true, 3},
        {"-2.5", true, -3},
        {"2.49", true, 2},
        {"0.5", true, 1},
        {"0.05", true, 0},
        {"-0.7", true, -1},
        {"123", true, 123},
        {"&HFFFFFFFFFFFFFFFF", true, -1},
        {"&O777", true, 511},
    };
    expect_conversions(rows, number_to_int64, scanned_number.int64_result);
}

TEST(NumberScan, ToUint64Table)
{
    const conversion_row<uint64_t> rows[] = {
        {"18446744073709551615", true, UINT64_MAX},
        {"18446744073709551616", false, 0},
        {"18446744073709551614.5", true, UINT64_MAX},
        {"18446744073709551615.5", false, 0},
        {"-1", false, 0},
        {"-0.3", true, 0},
        {"-0.7", false, 0},
        {"2.5", true, 3},
        {"&HFFFFFFFFFFFFFFFF", true, UINT64_MAX},
    };
    expect_conversions(rows, number_to_uint64, scanned_number.uint64_result);
}

// A random decimal text of 1 to 17 significant digits, laid out with
// optional sign, leading zeros, a point anywhere and an exponent.
std::string random_decimal(std::mt19937_64 &rng)
{
    auto pick = [&](int n) { return int(rng() % uint64_t(n)); };
    std::string digits(1, char('1' + pick(9)));
    for (int n = pick(17); n > 0; n--)
        digits.push_back(char('0' + pick(10)));
    std::string text = std::string(pick(3) == 0 ? "-" : pick(2) ? "" : "+");
    text.append(size_t(pick(3)), '0');
    int point = pick(int(digits.size()) + 2) - 1; // -1: no point
    if (point == 0) {
        text += ".";
        text.append(size_t(pick(4)), '0');
        text += digits;
    } else if (point > 0) {
        text += digits.substr(0, size_t(point)) + "." + digits.substr(size_t(point));
    } else {
        text += digits;
    }
    if (pick(4) != 0) {
        int exponent = pick(581) - 290;
        text += pick(2) ? 'E' : 'e';
        text += exponent < 0 ? "-" : pick(2) ? "+" : "";
        text += std::to_string(std::abs(exponent));
    }
    return text;
}

TEST(NumberScan, DecimalOracleAgainstStrtod)
{
    std::mt19937_64 rng(2024);
    for (int i = 0; i < 100000; i++) {
        std::string text = random_decimal(rng);
        ASSERT_EQ(scan(text), SCAN_OK) << text;
        ASSERT_TRUE(number_to_float()) << text;
        double got = static_cast<double>(scanned_number.float_result);
        double want = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(want)) << text;
    }
}

TEST(NumberScan, HexAndOctalOracleAgainstStrtoull)
{
    std::mt19937_64 rng(77);
    const char hex_digits[] = "0123456789abcdefABCDEF";
    for (int i = 0; i < 20000; i++) {
        bool hex = i & 1;
        int count = 1 + int(rng() % (hex ? 16 : 22));
        std::string digits(size_t(rng() % 4), '0');
        for (int n = 0; n < count; n++)
            digits.push_back(hex ? hex_digits[rng() % 22] : char('0' + rng() % 8));
        if (!hex && count == 22)
            digits[digits.size() - 22] = char('0' + rng() % 2);
        std::string text = (hex ? "&H" : "&O") + digits;
        auto want = static_cast<int64_t>(std::strtoull(digits.c_str(), nullptr, hex ? 16 : 8));
        ASSERT_EQ(scan(text), SCAN_OK) << text;
        ASSERT_TRUE(number_to_int64()) << text;
        ASSERT_EQ(scanned_number.int64_result, want) << text;
        ASSERT_TRUE(number_to_float()) << text;
        ASSERT_EQ(scanned_number.float_result, static_cast<long double>(want)) << text;
    }
}

TEST(NumberScan, TargetChecks)
{
    const uint32_t single = NUMERIC_TYPE_FLOAT | 32;
    const uint32_t int16 = 16;
    const uint32_t uint16 = NUMERIC_TYPE_UNSIGNED | 16;
    struct row {
        long double value;
        uint32_t type;
        bool fits;
        long double stored;
    } rows[] = {
        {3.4028234E38L, single, true, 3.4028234E38L},
        {1E39L, single, false, 0},
        {-1E39L, single, false, 0},
        {1E39L, NUMERIC_TYPE_FLOAT | 64, true, 1E39L},
        {2.5L, int16, true, 2},
        {3.5L, int16, true, 4},
        {-0.5L, int16, true, 0},
        {32767.4L, int16, true, 32767},
        {32767.5L, int16, false, 0},
        {-32768.5L, int16, true, -32768},
        {65535, int16, false, 0},
        {65535, uint16, true, 65535},
        {-1, uint16, false, 0},
        {9223372036854775808.0L, 64, false, 0},
        {-9223372036854775808.0L, 64, true, -9223372036854775808.0L},
        {18446744073709551615.0L, NUMERIC_TYPE_UNSIGNED | 64, false, 0}, // above 2^63
    };
    for (const row &r : rows) {
        long double v = r.value;
        EXPECT_EQ(number_fits_target(&v, r.type), r.fits) << double(r.value);
        if (r.fits) {
            EXPECT_EQ(v, r.stored) << double(r.value);
        }
    }
}

} // namespace
