// Splits a byte stream into lines as the bytes arrive, in bounded memory. A
// line ends at CR LF, LF or a lone CR, wherever the reads split them; empty
// lines are dropped. A line longer than the limit keeps its start and is
// marked cut; the rest of it, up to its end, is dropped.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace fiverow::protocol {

struct TextLine {
  std::string text;  // without its line end
  bool cut = false;  // longer than the limit: only its start is kept
};

class LineSplitter {
 public:
  // How many whole lines may wait before the reader should stop reading.
  static constexpr std::size_t kWaitingLimit = 1024;

  explicit LineSplitter(std::size_t lineLimit) : lineLimit_(lineLimit) {}

  void Add(std::string_view bytes);
  // The stream has ended: a last line without its line end is a line too.
  void Finish() { EndLine(); }

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

}  // namespace fiverow::protocol
