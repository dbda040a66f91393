#include "platform/base/SysUtils.h"

#include <gtest/gtest.h>

TEST(SysUtils, MulDivRoundsHalfAwayFromZero) {
  struct Case { Integer a, b, c, expected; };
  const Case cases[] = {
      {10, 96, 72, 13},    // 10 pt at 96 ppi
      {1, 1, 2, 1},        // half rounds up
      {-1, 1, 2, -1},      // and away from zero when negative
      {3, 1, 4, 1},
      {1, 1, 4, 0},
      {1440, 96, 1440, 96},
      {0x40000000, 4, 2, static_cast<Integer>(0x80000000u)},  // 64-bit intermediate
      {5, 5, 0, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
  }
}

TEST(SysUtils, ExceptionsNameTheirClass) {
  try {
    throw EConvertError("'abc' is not a valid integer value");
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EConvertError");
    EXPECT_EQ(e.Message, "'abc' is not a valid integer value");
  }
  EXPECT_THROW(Abort(), EAbort);
}
