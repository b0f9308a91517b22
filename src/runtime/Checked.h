// Checked signed 32-bit arithmetic and index checks. A failed check raises and
// never returns to the computation. In a constant expression a failed check is
// a compile error, because Raise is not constexpr.
#pragma once

#include <cstdint>
#include "runtime/SourceSite.h"

#include "core/UTypes.h"
#include "runtime/Failure.h"

namespace fiverow {

namespace detail {
inline constexpr std::int64_t kInt32Min = INT32_MIN;
inline constexpr std::int64_t kInt32Max = INT32_MAX;

constexpr Int32 Narrow(std::int64_t wide, const SourceSite& where) {
  if (wide < kInt32Min || wide > kInt32Max) {
    Raise(FailureKind::EIntOverflow, 0, where);
  }
  return static_cast<Int32>(wide);
}
}  // namespace detail

// Every product and sum of two 32-bit values fits in 64 bits, so widening
// gives the exact result, which is then range-checked.
constexpr Int32 CheckedAdd(Int32 a, Int32 b, const SourceSite& where = SourceSite::current()) {
  return detail::Narrow(std::int64_t{a} + b, where);
}

constexpr Int32 CheckedSub(Int32 a, Int32 b, const SourceSite& where = SourceSite::current()) {
  return detail::Narrow(std::int64_t{a} - b, where);
}

constexpr Int32 CheckedMul(Int32 a, Int32 b, const SourceSite& where = SourceSite::current()) {
  return detail::Narrow(std::int64_t{a} * b, where);
}

// Array index check against the grids' declared range -5..24.
constexpr Int32 CheckGridIndex(Int32 index, const SourceSite& where = SourceSite::current()) {
  if (index < kGridMin || index > kGridMax) {
    Raise(FailureKind::ERangeError, 0, where);
  }
  return index;
}

// Array index check against a table's declared range first..last.
constexpr Int32 CheckIndex(Int32 index, Int32 first, Int32 last,
                           const SourceSite& where = SourceSite::current()) {
  if (index < first || index > last) {
    Raise(FailureKind::ERangeError, 0, where);
  }
  return index;
}

// Index-checked grid cell: both indices are checked on their own.
template <typename T>
constexpr T& CheckedCell(Grid<T>& grid, Int32 x, Int32 y,
                         const SourceSite& where = SourceSite::current()) {
  CheckGridIndex(x, where);
  CheckGridIndex(y, where);
  return grid.cell(x, y);
}

template <typename T>
constexpr const T& CheckedCell(const Grid<T>& grid, Int32 x, Int32 y,
                               const SourceSite& where = SourceSite::current()) {
  CheckGridIndex(x, where);
  CheckGridIndex(y, where);
  return grid.cell(x, y);
}

// Character index check: a 1-based position must lie within the line's length.
constexpr void CheckCharIndex(std::int64_t position, std::int64_t length,
                              const SourceSite& where = SourceSite::current()) {
  if (position < 1 || position > length) {
    Raise(FailureKind::ERangeError, 0, where);
  }
}

}  // namespace fiverow
