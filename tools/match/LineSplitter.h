// Splits the bytes an engine writes into lines as they arrive, in bounded
// memory. A line ends at CR LF, LF or a lone CR, wherever the reads split
// them; empty lines are dropped. A line longer than the limit keeps its start
// and is marked cut; the rest of it, up to its end, is dropped.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace fiverow::match {

struct TextLine {
  std::string text;  // without its line end
  bool cut = false;  // longer than the limit: only its start is kept
};

class LineSplitter {
 public:
  static constexpr std::size_t kWaitingLimit = 1024;

  explicit LineSplitter(std::size_t lineLimit) : lineLimit_(lineLimit) {}

  void Add(std::string_view bytes);

  bool HasLine() const { return !lines_.empty(); }
  // Whether enough lines wait that no more should be read until some are taken.
  bool Full() const { return lines_.size() >= kWaitingLimit; }
  // The oldest whole line; only when HasLine().
  TextLine Take();

 private:
  void EndLine();

  std::size_t lineLimit_;
  std::deque<TextLine> lines_;
  TextLine partial_;
  bool afterCr_ = false;  // an LF next ends nothing: it belongs to the CR
};

}  // namespace fiverow::match
