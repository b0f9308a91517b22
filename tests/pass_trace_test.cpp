// The story of a pass: the tier that decided it, that tier's matching rows,
// the amount added and the final Tally.
#include <gtest/gtest.h>

#include "eval/Cascade.h"
#include "eval/PassTable.h"

namespace fiverow {
namespace {

constexpr Stone E = Stone::Empty;
constexpr Stone P = Stone::Mine;
constexpr Stone X = Stone::Theirs;

TEST(PassTrace, TellsTheDecidingTierAndOnlyItsRows) {
  // Open four, candidate second: tier 3 row 4 would hold too, but the gate
  // keeps tier 3 out.
  EXPECT_EQ(TracePass(true, {E, P, P, P, E, E}), (PassTrace{2, 0b10, 1000, 1000}));
  // Two fives: each FiveBonus adds 4000 and counts 1 in Tally, handed over too.
  EXPECT_EQ(TracePass(false, {P, P, P, P, P, E}), (PassTrace{1, 0b110, 8002, 2}));
  EXPECT_EQ(TracePass(true, {P, E, P, E, E, P}), (PassTrace{5, (1u << 4) | (1u << 7), 140, 140}));
  EXPECT_EQ(TracePass(true, {X, X, X, X, X, X}), PassTrace{});
}

}  // namespace
}  // namespace fiverow
