// Words in the lines that managers, engines and people send: blanks around
// them, and keywords matched in any case.
#pragma once

#include <optional>
#include <string_view>

namespace fiverow::protocol {

// The text without the spaces and tabs around it.
constexpr std::string_view TrimmedBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

constexpr char UpperCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `written` is the word `upper` (in capitals), in any case.
constexpr bool SameWord(std::string_view written, std::string_view upper) {
  if (written.size() != upper.size()) return false;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    if (UpperCase(written[i]) != upper[i]) return false;
  }
  return true;
}

// Takes the next line off `text`, without its line end (LF, or CR LF);
// nothing once `text` is empty.
constexpr std::optional<std::string_view> TakeLine(std::string_view& text) {
  if (text.empty()) return std::nullopt;
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

// Drops a UTF-8 byte order mark from the start of `text`.
constexpr void SkipByteOrderMark(std::string_view& text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
}

// A line's first word and the rest, both without blanks around them.
struct FirstWord {
  std::string_view word;
  std::string_view rest;
};
constexpr FirstWord SplitFirstWord(std::string_view line) {
  line = TrimmedBlanks(line);
  const std::size_t blank = line.find_first_of(" \t");
  if (blank == std::string_view::npos) return {line, {}};
  return {line.substr(0, blank), TrimmedBlanks(line.substr(blank))};
}

}  // namespace fiverow::protocol
