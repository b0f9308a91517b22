// The source position of a check, captured at the call site through a default
// argument: std::source_location where the library has it, otherwise the
// compiler builtins it is made of (as with Clang 14 over libstdc++ 12).
#pragma once

#include <version>

#if defined(__cpp_lib_source_location)
#include <source_location>

namespace fiverow {
using SourceSite = std::source_location;
}  // namespace fiverow

#else
#include <cstdint>

namespace fiverow {

class SourceSite {
 public:
  static constexpr SourceSite current(const char* file = __builtin_FILE(),
                                      std::uint_least32_t line = __builtin_LINE(),
                                      std::uint_least32_t column = __builtin_COLUMN()) noexcept {
    SourceSite site;
    site.file_ = file;
    site.line_ = line;
    site.column_ = column;
    return site;
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
