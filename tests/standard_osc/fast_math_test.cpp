// The inline conversions against the library's own rounding functions.
#include "fast_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const double INF = std::numeric_limits<double>::infinity();
const double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

TEST(FastMath, AgreeWithTheLibraryInsideTheIntegerRange) {
  const double values[] = {0.0,         -0.0,         0.5,           -0.5,         1.5,
                           -1.5,        2.5,          -2.5,          1.0,          -1.0,
                           0.49999999,  -0.49999999,  1e-300,        -1e-300,      7.25,
                           -7.75,       2147483647.0, -2147483648.0, 2147483646.5, -2147483647.5,
                           1023.999999, -1023.999999};
  for (double x : values) {
    EXPECT_EQ(FloorToInt(x), static_cast<int32_t>(std::floor(x))) << x;
    EXPECT_EQ(TruncateToInt(x), static_cast<int32_t>(std::trunc(x))) << x;
    EXPECT_EQ(RoundToInt(x), static_cast<int32_t>(std::nearbyint(x))) << x;  // halves to even
  }
}

TEST(FastMath, OutOfRangeAndNaNGiveTheIndefiniteInteger) {
  for (double x : {2147483648.0, -2147483649.0, 1e20, -1e20, INF, -INF, NOT_A_NUMBER}) {
    EXPECT_EQ(FloorToInt(x), INT32_MIN) << x;
    EXPECT_EQ(TruncateToInt(x), INT32_MIN) << x;
    EXPECT_EQ(RoundToInt(x), INT32_MIN) << x;
  }
  // Just inside for truncation, just outside for floor.
  EXPECT_EQ(TruncateToInt(-2147483648.5), INT32_MIN);
  EXPECT_EQ(RoundToInt(2147483647.5), INT32_MIN);
  EXPECT_EQ(RoundToInt(-2147483648.5), INT32_MIN);  // ties to even: -2^31 itself
}

TEST(FastMath, FractionStaysInsideOneCycle) {
  struct Case {
    double x, fraction;
  };
  for (const Case& c :
       {Case{0.25, 0.25}, Case{-0.25, 0.75}, Case{3.0, 0.0}, Case{-3.0, 0.0}, Case{-1e-20, 0.0},
        Case{1e20, 0.0}, Case{NOT_A_NUMBER, 0.0}, Case{-INF, 0.0}, Case{-2.5, 0.5}}) {
    const double f = Fraction(c.x);
    EXPECT_EQ(f, c.fraction) << c.x;
    EXPECT_GE(f, 0.0);
    EXPECT_LT(f, 1.0);
  }
}

}  // namespace
