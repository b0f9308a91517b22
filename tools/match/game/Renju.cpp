#include "game/Renju.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/NameTable.h"

namespace fiverow::match {

namespace {

Move Step(Move from, Move axis, int offset) {
  return {from.x + offset * axis.x, from.y + offset * axis.y};
}

bool HoldsX(const Position& board, Move cell) {
  return board.OnBoard(cell) && board.At(cell) == StoneChar(Side::X);
}

// An unbroken run of x stones on an axis, as offsets from a cell of it.
struct Run {
  int first = 0;
  int last = 0;
  int Length() const { return last - first + 1; }
  bool Holds(int offset) const { return first <= offset && offset <= last; }
};

// The run through `cell`, which holds x.
Run RunThrough(const Position& board, Move cell, Move axis) {
  Run run;
  while (HoldsX(board, Step(cell, axis, run.first - 1))) --run.first;
  while (HoldsX(board, Step(cell, axis, run.last + 1))) ++run.last;
  return run;
}

// The run through `cell` were x to play there; nothing for a cell off the
// board or taken.
std::optional<Run> RunIfPlayed(Position& board, Move cell, Move axis) {
  if (!board.OnBoard(cell) || !board.IsEmpty(cell)) return std::nullopt;
  board.Place(cell, Side::X);
  const Run run = RunThrough(board, cell, axis);
  board.Remove(cell);
  return run;
}

// The fours through `move` on `axis`, each the set of its four stones as
// bits of their offsets -4..4 from `move`: the two cells that complete a
// straight four find the same stones, and count once.
std::vector<unsigned> FoursOn(Position& board, Move move, Move axis) {
  std::vector<unsigned> fours;
  for (int at = -4; at <= 4; ++at) {
    const std::optional<Run> five = RunIfPlayed(board, Step(move, axis, at), axis);
    if (!five || five->Length() != kWinLength || !five->Holds(-at)) continue;
    unsigned stones = 0;
    for (int offset = five->first + at; offset <= five->last + at; ++offset) {
      if (offset != at) stones |= 1u << (offset + 4);
    }
    if (std::find(fours.begin(), fours.end(), stones) == fours.end()) fours.push_back(stones);
  }
  return fours;
}

// Whether the run through `move` is a straight four: four x stones in a row
// that one more at either end makes exactly five.
bool IsStraightFour(Position& board, Move move, Move axis) {
  const Run run = RunThrough(board, move, axis);
  if (run.Length() != kWinLength - 1) return false;
  for (const int end : {run.first - 1, run.last + 1}) {
    const std::optional<Run> five = RunIfPlayed(board, Step(move, axis, end), axis);
    if (!five || five->Length() != kWinLength) return false;
  }
  return true;
}

std::optional<Foul> FoulOf(Position& board, Move move);

// Whether `move` makes an open three on `axis`: some empty cell of the line
// where one more x stone makes a straight four with it, and is not itself
// forbidden.
bool OpenThreeOn(Position& board, Move move, Move axis) {
  for (int at = -3; at <= 3; ++at) {
    const Move cell = Step(move, axis, at);
    if (!board.OnBoard(cell) || !board.IsEmpty(cell)) continue;
    board.Place(cell, Side::X);
    const bool open = RunThrough(board, move, axis).Holds(at) &&
                      IsStraightFour(board, move, axis) && !FoulOf(board, cell);
    board.Remove(cell);
    if (open) return true;
  }
  return false;
}

std::optional<Foul> FoulOf(Position& board, Move move) {
  const std::array<int, 4> lengths = board.LinesThrough(move);
  if (std::find(lengths.begin(), lengths.end(), kWinLength) != lengths.end()) return std::nullopt;
  if (*std::max_element(lengths.begin(), lengths.end()) > kWinLength) return Foul::Overline;
  std::size_t fours = 0;
  for (const Move axis : kAxes) fours += FoursOn(board, move, axis).size();
  if (fours >= 2) return Foul::DoubleFour;
  int threes = 0;
  for (const Move axis : kAxes) {
    if (OpenThreeOn(board, move, axis) && ++threes == 2) return Foul::DoubleThree;
  }
  return std::nullopt;
}

constexpr tools::NameTable<Foul, 3> kFoulNames{{{
    {Foul::Overline, "overline"},
    {Foul::DoubleFour, "double-four"},
    {Foul::DoubleThree, "double-three"},
}}};

}  // namespace

std::optional<Foul> RenjuFoul(const Position& position, Move move) {
  Position board = position;  // the threes are judged by trying stones on it
  return FoulOf(board, move);
}

std::string_view FoulName(Foul foul) { return kFoulNames.NameOf(foul); }

}  // namespace fiverow::match
