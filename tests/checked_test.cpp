#include <gtest/gtest.h>
#include "runtime/Checked.h"
TEST(Checked, Adds) { EXPECT_EQ(fiverow::CheckedAdd(1, 2), 3); }
