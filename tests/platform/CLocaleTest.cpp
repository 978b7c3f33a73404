#include "platform/CLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace platform;

TEST(CLocale, FormattingIgnoresADecimalCommaLocale)
{
    const char* chosen = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (!chosen)
        chosen = std::setlocale(LC_ALL, "de_DE");
    // Whether or not the machine has the locale, the result must be the C form.
    EXPECT_EQ(FormatFixed(1.5, 1), "1.5");
    EXPECT_EQ(FormatGeneral(1.5), "1.5");
    double value = 0;
    EXPECT_TRUE(ParseDouble("1.5", value));
    EXPECT_DOUBLE_EQ(value, 1.5);
    std::setlocale(LC_ALL, "C");
}

TEST(CLocale, ParsesLikeStrtodInTheCLocale)
{
    double value = 0;
    EXPECT_TRUE(ParseDouble(" -.5 ", value));
    EXPECT_DOUBLE_EQ(value, -0.5);
    EXPECT_TRUE(ParseDouble("+2e3", value));
    EXPECT_DOUBLE_EQ(value, 2000);
    EXPECT_FALSE(ParseDouble("1,5", value));
    EXPECT_FALSE(ParseDouble("", value));
    EXPECT_EQ(ParseDoublePrefix("3745.1234,N", value), 9u);
    EXPECT_DOUBLE_EQ(value, 3745.1234);
    EXPECT_EQ(ParseDoublePrefix("abc", value), 0u);
    EXPECT_EQ(ParseDoublePrefix("1e999", value), 5u);
    EXPECT_TRUE(std::isinf(value));
    EXPECT_EQ(ParseDoublePrefix("1e-999", value), 6u);
    EXPECT_EQ(value, 0.0);
    // What strtod refuses: a point without digits, a second sign.
    value = 7.0;
    EXPECT_EQ(ParseDoublePrefix(".", value), 0u);
    EXPECT_EQ(ParseDoublePrefix("-.e5", value), 0u);
    EXPECT_EQ(ParseDoublePrefix("+-5", value), 0u);
    EXPECT_EQ(ParseDoublePrefix("--5", value), 0u);
    EXPECT_EQ(value, 7.0) << "a failed parse leaves the output alone";
    EXPECT_FALSE(ParseDouble(".", value));
    EXPECT_EQ(ParseDoublePrefix(".5x", value), 2u);
    EXPECT_DOUBLE_EQ(value, 0.5);

    int64_t n = 0;
    EXPECT_FALSE(ParseInt("+-4", n));
    EXPECT_FALSE(ParseInt("+", n));
    EXPECT_TRUE(ParseInt("+42", n));
    EXPECT_EQ(n, 42);
    EXPECT_FALSE(ParseInt("42x", n));
    EXPECT_EQ(FormatFixed(2.0 / 3.0, 3), "0.667");
    EXPECT_EQ(FormatInt(-7), "-7");
}
