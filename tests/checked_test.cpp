// Checked signed 32-bit arithmetic, grid index checks, character index checks
// and the I/O check.
#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>

#include "Failures.h"
#include "runtime/Checked.h"
#include "runtime/IoCheck.h"
#include "state/Line.h"

namespace fiverow {
namespace {

constexpr Int32 kMax = INT32_MAX;
constexpr Int32 kMin = INT32_MIN;

// Exact results at the edges of the range, in constant expressions.
static_assert(CheckedAdd(kMax - 1, 1) == kMax);
static_assert(CheckedAdd(kMin, kMax) == -1);
static_assert(CheckedSub(kMin + 1, 1) == kMin);
static_assert(CheckedSub(-1, kMax) == kMin);
static_assert(CheckedMul(46340, 46340) == 2147395600);
static_assert(CheckedMul(kMin, 1) == kMin);
static_assert(CheckedMul(-65536, 32768) == kMin);
static_assert(CheckGridIndex(-5) == -5 && CheckGridIndex(24) == 24);

// A failed check cannot be a constant expression.
template <Int32 A, Int32 B>
concept AddIsConstant = requires {
  typename std::integral_constant<Int32, CheckedAdd(A, B)>;
};
template <Int32 A, Int32 B>
concept MulIsConstant = requires {
  typename std::integral_constant<Int32, CheckedMul(A, B)>;
};
template <Int32 I>
concept IndexIsConstant = requires {
  typename std::integral_constant<Int32, CheckGridIndex(I)>;
};
static_assert(AddIsConstant<kMax - 1, 1> && !AddIsConstant<kMax, 1> && !AddIsConstant<kMin, -1>);
static_assert(MulIsConstant<-46340, 46340> && !MulIsConstant<46341, 46341>);
static_assert(IndexIsConstant<24> && !IndexIsConstant<25> && !IndexIsConstant<-6>);

void ExpectFailure(FailureKind kind, const std::function<void()>& step) {
  const std::optional<RunFailure> failure = testing::FailureOf(step);
  ASSERT_TRUE(failure) << "no failure raised";
  EXPECT_EQ(failure->kind, kind);
  EXPECT_EQ(failure->ioCode, 0);
}

// Values the compiler cannot fold, so the checks run at run time.
volatile Int32 gMax = kMax;
volatile Int32 gMin = kMin;

TEST(CheckedArithmetic, OverflowRaisesIntOverflow) {
  ExpectFailure(FailureKind::EIntOverflow, [] { CheckedAdd(gMax, 1); });
  ExpectFailure(FailureKind::EIntOverflow, [] { CheckedAdd(gMin, -1); });
  ExpectFailure(FailureKind::EIntOverflow, [] { CheckedSub(gMin, 1); });
  ExpectFailure(FailureKind::EIntOverflow, [] { CheckedSub(gMax, -1); });
  ExpectFailure(FailureKind::EIntOverflow, [] { CheckedMul(gMax, 2); });
  ExpectFailure(FailureKind::EIntOverflow, [] { CheckedMul(gMin, -1); });
  ExpectFailure(FailureKind::EIntOverflow, [] { CheckedMul(65536, 32768); });
}

TEST(IndexChecks, GridIndexOutsideTheMarginRaisesRangeError) {
  for (Int32 index : {-6, 25, kMin, kMax}) {
    ExpectFailure(FailureKind::ERangeError, [index] { CheckGridIndex(index); });
  }
  Board board;
  ExpectFailure(FailureKind::ERangeError, [&board] { CheckedCell(board, 0, 25); });
  ExpectFailure(FailureKind::ERangeError, [&board] { CheckedCell(board, -6, 0); });
  CheckedCell(board, -5, 24) = 7;
  EXPECT_EQ(board.cell(-5, 24), 7);
}

TEST(IndexChecks, CharacterIndexWithinTheLine) {
  Line line;
  for (char c : std::string(25, 'a')) line.Append(c);
  line.kept[19] = 'z';
  EXPECT_EQ(line.At(20), 'z');
  EXPECT_EQ(line.length, 25);
  ExpectFailure(FailureKind::ERangeError, [&line] { line.At(0); });
  ExpectFailure(FailureKind::ERangeError, [] { CheckCharIndex(26, 25); });
  CheckCharIndex(25, 25);

  line.Clear();
  ExpectFailure(FailureKind::ERangeError, [&line] { line.At(1); });
  line.Append('o');
  EXPECT_EQ(line.At(1), 'o');
  ExpectFailure(FailureKind::ERangeError, [&line] { line.At(2); });
}

TEST(IoChecks, RaisesTheStoredCodeAndResetsIt) {
  IoCode result = io::kOk;
  IoCheck(result);
  result = io::kSharingViolation;
  const std::optional<RunFailure> failure = testing::FailureOf([&result] { IoCheck(result); });
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->kind, FailureKind::EInOutError);
  EXPECT_EQ(failure->ioCode, io::kSharingViolation);
  EXPECT_EQ(result, io::kOk);
}

}  // namespace
}  // namespace fiverow
