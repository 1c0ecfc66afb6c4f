#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// The digits a writer gives, checking the count it returns.
template <auto write> std::string digits(int64_t v, uint32_t bits) {
    char text[NUMBER_DIGITS_BUFFER];
    const int32_t n = write(v, bits, text);
    EXPECT_EQ(size_t(n), std::string(text).size());
    return text;
}
constexpr auto oct = digits<oct_digits_int64>;
constexpr auto hex = digits<hex_digits_int64>;

TEST(NumberText, NonNegativeValuesUseTheirOwnBits) {
    EXPECT_EQ(hex(255, 16), "FF");
    EXPECT_EQ(hex(0, 16), "0");
    EXPECT_EQ(oct(0, 32), "0");
    EXPECT_EQ(oct(8, 16), "10");
    EXPECT_EQ(hex(0xABCDEF, 16), "ABCDEF"); // wider than its type: all digits
    EXPECT_EQ(hex(INT64_MAX, 64), "7FFFFFFFFFFFFFFF");
}

TEST(NumberText, NegativeValuesUseTheirTypeSize) {
    EXPECT_EQ(oct(-1, 16), "177777");
    EXPECT_EQ(hex(-1, 16), "FFFF");
    EXPECT_EQ(hex(-2, 32), "FFFFFFFE");
    EXPECT_EQ(oct(-1, 64), "1777777777777777777777");
    EXPECT_EQ(hex(INT64_MIN, 64), "8000000000000000");
}

TEST(NumberText, NegativeValuesWiderThanTheirTypeKeepTheirSign) {
    EXPECT_EQ(hex(-32'768, 16), "8000");
    EXPECT_EQ(hex(-32'769, 16), "FFFF7FFF");
    EXPECT_EQ(hex(-65'537, 16), "FFFEFFFF");
    EXPECT_EQ(hex(-2'147'483'649LL, 32), "FFFFFFFF7FFFFFFF");
    EXPECT_EQ(hex(-0x100000000LL, 16), "FFFFFFFF00000000");
    EXPECT_EQ(hex(-129, 8), "FF7F"); // a byte type grows to 16 bits
}

TEST(NumberText, FloatingValuesRoundAndMustFitSixtyFourBits) {
    int64_t v = 0;
    EXPECT_TRUE(number_text_integer(2.5, &v));
    EXPECT_EQ(v, 2);
    EXPECT_TRUE(number_text_integer(-3.5, &v));
    EXPECT_EQ(v, -4);
    EXPECT_TRUE(number_text_integer(-9'223'372'036'854'775'808.0, &v));
    EXPECT_EQ(v, INT64_MIN);
    EXPECT_FALSE(number_text_integer(9'223'372'036'854'775'808.0, &v));
    EXPECT_FALSE(number_text_integer(-1e19, &v));
    EXPECT_FALSE(number_text_integer(std::nan(""), &v));
    EXPECT_FALSE(number_text_integer(INFINITY, &v));
}

} // namespace
