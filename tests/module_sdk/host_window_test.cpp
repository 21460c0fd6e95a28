#include "host_window.h"

#include <gtest/gtest.h>

#include <climits>

TEST(HostWindow, EdgesAndWrapAround) {
  const HostWindow window{100241, 99841};
  EXPECT_EQ(window.High(), 200082);
  const struct {
    int32_t version;
    bool below, inside;
  } cases[] = {{100240, true, false},  {100241, false, true},  {150000, false, true},
               {200082, false, true},  {200083, false, false}, {0, true, false},
               {INT_MIN, true, false}, {INT_MAX, false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(window.Below(c.version), c.below) << c.version;
    EXPECT_EQ(window.Inside(c.version), c.inside) << c.version;
  }
}
