// Where a check stands in the source, for the failure's location.
//
// std::source_location where the standard library provides it. Clang before
// version 15 lacks the builtin that libstdc++'s version needs, so there the
// same interface is built on the compiler's older builtins, which clang and
// GCC both evaluate at the call site when used as default arguments.
#pragma once

#include <version>

#if defined(__cpp_lib_source_location)
#include <source_location>

namespace fiverow {
using SourceLocation = std::source_location;
}  // namespace fiverow

#else
#include <cstdint>

namespace fiverow {

class SourceLocation {
 public:
  static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                          std::uint_least32_t line = __builtin_LINE(),
                                          std::uint_least32_t column = __builtin_COLUMN()) noexcept {
    SourceLocation here;
    here.file_ = file;
    here.line_ = line;
    here.column_ = column;
    return here;
  }
  constexpr const char* file_name() const noexcept { return file_; }
  constexpr std::uint_least32_t line() const noexcept { return line_; }
  constexpr std::uint_least32_t column() const noexcept { return column_; }

 private:
  const char* file_ = "";
  std::uint_least32_t line_ = 0;
  std::uint_least32_t column_ = 0;
};

}  // namespace fiverow
#endif
