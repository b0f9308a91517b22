// The pass table: every one of the 1458 pass cases must give what the tier
// cascade gives, and the amounts must be the ones the tier tables describe.
#include <gtest/gtest.h>

#include <memory>

#include "eval/Cascade.h"
#include "eval/PassTable.h"
#include "eval/Sweep.h"

namespace fiverow {
namespace {

// A record with the given probes laid out around the candidate (10, 10)
// along `direction`, for a pass of `examinedCode` with OwnCode 1.
std::unique_ptr<RunState> PassSetUp(Int32 passCase, Direction direction) {
  auto state = std::make_unique<RunState>();
  state->ownCode = kCodeOther;
  state->examinedCode = OwnCodeOfCase(passCase) ? kCodeOther : kCodeO;
  state->x = 10;
  state->y = 10;
  const ProbeStones stones = StonesOfCase(passCase);
  for (std::size_t i = 0; i < kProbeCount; ++i) {
    CellCode code = kEmpty;
    if (stones[i] == Stone::Mine) code = state->examinedCode;
    if (stones[i] == Stone::Theirs) code = OtherCode(state->examinedCode);
    state->board.cell(10 + kProbeOffsets[i] * direction.dx, 10 + kProbeOffsets[i] * direction.dy) =
        code;
  }
  state->scoreGrid.cell(10, 10) = 5;  // a pass adds to what is there
  return state;
}

TEST(PassTableCases, CellCodesGiveTheSameCaseAsTheStones) {
  for (Int32 number = 0; number < kProbeCases; ++number) {
    const ProbeCells cells = CellsOfNumber(number);
    ASSERT_EQ(CellsNumberOf(cells), number);
    for (CellCode examinedCode = 1; examinedCode <= 2; ++examinedCode) {
      for (const bool ownCode : {false, true}) {
        EXPECT_EQ(PassCaseOfCells(ownCode, examinedCode, number),
                  PassCaseOf(ownCode, StonesOf(cells, examinedCode)))
            << "cells " << number << ", examined code " << examinedCode;
      }
    }
  }
}

TEST(PassTableCases, CellCodeOutsideZeroToTwoRaisesRangeError) {
  try {
    CellsNumberOf({0, 0, 3, 0, 0, 0});
    FAIL() << "no failure raised";
  } catch (const RunFailure& failure) {
    EXPECT_EQ(failure.kind, FailureKind::ERangeError);
  }
}

// The lookup pass against the pass that runs the tiers one by one and calls
// FiveBonus, on a real board, for every case and in every direction.
TEST(PassTableCases, LookupPassEqualsCascadePassOnEveryCaseAndDirection) {
  for (Int32 passCase = 0; passCase < kPassCases; ++passCase) {
    for (const Direction direction : kDirections) {
      auto byTable = PassSetUp(passCase, direction);
      auto byCascade = PassSetUp(passCase, direction);
      RunPass(*byTable, direction.dx, direction.dy);
      RunPassByCascade(*byCascade, direction.dx, direction.dy);
      ASSERT_EQ(byTable->scoreGrid.cell(10, 10), byCascade->scoreGrid.cell(10, 10))
          << "case " << passCase << " along (" << direction.dx << ", " << direction.dy << ")";
      ASSERT_EQ(byTable->weight, byCascade->weight) << "case " << passCase;
      ASSERT_EQ(byTable->tally, byCascade->tally) << "case " << passCase;
      ASSERT_EQ(byTable->scoreGrid.cell(10, 10) - 5,
                kPassTable[static_cast<std::size_t>(passCase)].amount);
    }
  }
}

TEST(PassTableCases, AmountsStayWithinTheirBounds) {
  for (Int32 passCase = 0; passCase < kPassCases; ++passCase) {
    const PassOutcome outcome = kPassTable[static_cast<std::size_t>(passCase)];
    EXPECT_GE(outcome.amount, 0) << "case " << passCase;
    EXPECT_LE(outcome.amount, 120022) << "case " << passCase;  // two own fives
    EXPECT_GE(outcome.tally, 0) << "case " << passCase;
    EXPECT_LE(outcome.tally, outcome.amount) << "case " << passCase;
    EXPECT_EQ(outcome.tally > 0, outcome.amount > 0) << "case " << passCase;
  }
}

}  // namespace
}  // namespace fiverow
