// Properties of the evaluation and the choice, each checked on a few hundred
// random boards. The seeds are fixed, so a failing board can be reproduced
// from the seed and the board number in the failure message.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "MemoryFileSystem.h"
#include "engine/Driver.h"
#include "eval/Sweep.h"
#include "runtime/Failure.h"

namespace fiverow {
namespace {

constexpr int kBoards = 300;
constexpr Int32 kLast = kPlaySize - 1;

// Boards of every density from empty to crowded, so that fives, fours and
// open threes of both codes occur on many of them. Only the raw output of the
// engine is used, which the standard fixes for every library.
class BoardSource {
 public:
  explicit BoardSource(std::uint32_t seed) : random_(seed) {}

  std::uint32_t Next(std::uint32_t bound) { return static_cast<std::uint32_t>(random_() % bound); }

  Board NextBoard() {
    Board board{};
    const std::uint32_t percent = Next(70);
    for (Int32 y = 0; y < kPlaySize; ++y) {
      for (Int32 x = 0; x < kPlaySize; ++x) {
        if (Next(100) < percent) board.cell(x, y) = static_cast<CellCode>(1 + Next(2));
      }
    }
    return board;
  }

 private:
  std::mt19937 random_;
};

ScoreGrid Scores(const Board& board, CellCode ownCode) {
  RunState state{};
  state.board = board;
  state.ownCode = ownCode;
  EvaluateBoard(state);
  return state.scoreGrid;
}

Board Mapped(
    const Board& board, const std::function<Move(Int32, Int32)>& where,
    const std::function<CellCode(CellCode)>& code = [](CellCode c) { return c; }) {
  Board mapped{};
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const Move to = where(x, y);
      mapped.cell(to.x, to.y) = code(board.cell(x, y));
    }
  }
  return mapped;
}

struct Symmetry {
  const char* name;
  std::function<Move(Int32, Int32)> where;  // where a cell's score goes
  bool exchangeCodes;
};

// The four properties share each board's own evaluation, which is most of the
// cost, so they are checked together board by board.
TEST(ScoreSymmetry, MirrorsAndTheCodeExchangeKeepEveryScoreWithItsCell) {
  const std::vector<Symmetry> symmetries{
      {"left to right",
       [](Int32 x, Int32 y) {
         return Move{kLast - x, y};
       },
       false},
      {"top to bottom",
       [](Int32 x, Int32 y) {
         return Move{x, kLast - y};
       },
       false},
      {"about the diagonal",
       [](Int32 x, Int32 y) {
         return Move{y, x};
       },
       false},
      {"codes 1 and 2 exchanged",
       [](Int32 x, Int32 y) {
         return Move{x, y};
       },
       true},
  };
  const auto exchanged = [](CellCode c) { return c == kEmpty ? kEmpty : 3 - c; };
  constexpr std::uint32_t kSeed = 1;
  BoardSource source(kSeed);
  for (int n = 0; n < kBoards; ++n) {
    const Board board = source.NextBoard();
    const CellCode ownCode = static_cast<CellCode>(1 + source.Next(2));
    const ScoreGrid scores = Scores(board, ownCode);
    for (const Symmetry& symmetry : symmetries) {
      const ScoreGrid mapped = symmetry.exchangeCodes
                                   ? Scores(Mapped(board, symmetry.where, exchanged), 3 - ownCode)
                                   : Scores(Mapped(board, symmetry.where), ownCode);
      for (Int32 y = 0; y < kPlaySize; ++y) {
        for (Int32 x = 0; x < kPlaySize; ++x) {
          const Move to = symmetry.where(x, y);
          ASSERT_EQ(mapped.cell(to.x, to.y), scores.cell(x, y))
              << symmetry.name << ": seed " << kSeed << " board " << n << " cell " << x << "," << y;
        }
      }
    }
  }
}

TEST(ScoreSymmetry, TheOtherSideScoresDifferently) {
  // Guards the properties above against an evaluation that ignores codes:
  // on a crowded board the two sides' scores must differ somewhere.
  BoardSource source(5);
  Board board{};
  while (true) {
    board = source.NextBoard();
    int stones = 0;
    for (CellCode c : board.cells) stones += c != kEmpty;
    if (stones > 100) break;
  }
  EXPECT_NE(Scores(board, 1).cells, Scores(board, 2).cells);
}

// ---- Whole runs on random position files ----------------------------------

struct Files {
  std::string position;
  std::string turn;
};

// The board as Plocha.dat text: code 1 in any of several characters, line ends
// LF or CR LF, and sometimes junk after the 20th cell or after the 20th line.
Files AsFiles(const Board& board, BoardSource& source) {
  static constexpr char kOtherChars[] = {'x', 'X', 'O', '.', ' ', '#', '\t', '\x7f'};
  Files files;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const CellCode c = board.cell(x, y);
      files.position += c == kEmpty ? '-' : c == kCodeO ? 'o' : kOtherChars[source.Next(8)];
    }
    if (source.Next(4) == 0) files.position += "tail";
    files.position += source.Next(2) == 0 ? "\n" : "\r\n";
  }
  if (source.Next(4) == 0) files.position += "a 21st line\n";
  files.turn = std::string(1, source.Next(2) == 0 ? 'o' : 'x');
  if (source.Next(2) == 0) files.turn += "\r\n12,3";
  return files;
}

struct RunResult {
  Move move;
  std::string moveText;
};

RunResult RunOn(const Files& input, RunState& state) {
  testing::MemoryFileSystem files;
  files.files["Plocha.dat"] = input.position;
  files.files["Tah.dat"] = input.turn;
  const Move move = RunEngine(state, files);
  return {move, files.files["Tah.dat"]};
}

TEST(ChosenMove, IsTheFirstEmptyCellWithTheHighestScore) {
  BoardSource source(6);
  for (int n = 0; n < kBoards; ++n) {
    SCOPED_TRACE("seed 6 board " + std::to_string(n));
    const Board board = source.NextBoard();
    const Files input = AsFiles(board, source);
    RunState state{};
    const RunResult result = RunOn(input, state);
    ASSERT_EQ(state.board.cells, board.cells);

    Int32 best = -1;
    Move first{};
    int empty = 0;
    for (Int32 y = 0; y < kPlaySize; ++y) {
      for (Int32 x = 0; x < kPlaySize; ++x) {
        if (board.cell(x, y) != kEmpty) {
          ASSERT_EQ(state.scoreGrid.cell(x, y), 0);
          continue;
        }
        ++empty;
        ASSERT_GE(state.scoreGrid.cell(x, y), 0);
        if (state.scoreGrid.cell(x, y) > best) {
          best = state.scoreGrid.cell(x, y);
          first = {x, y};
        }
      }
    }
    const Move expected = empty == kPlayCells ? kOpeningMove : first;
    EXPECT_EQ(result.move, expected);
    EXPECT_EQ(board.cell(result.move.x, result.move.y), kEmpty);
    EXPECT_EQ(result.moveText, std::to_string(result.move.x) + "," + std::to_string(result.move.y));
  }
}

TEST(ChosenMove, IsTheSameOnEveryRunOfTheSameFiles) {
  BoardSource source(7);
  RunState reused{};
  for (int n = 0; n < kBoards; ++n) {
    SCOPED_TRACE("seed 7 board " + std::to_string(n));
    const Files input = AsFiles(source.NextBoard(), source);
    // A fresh state record, and one left over from the runs before: whatever
    // it held must not matter.
    RunState fresh{};
    const RunResult a = RunOn(input, fresh);
    const RunResult b = RunOn(input, reused);
    EXPECT_EQ(a.move, b.move);
    EXPECT_EQ(a.moveText, b.moveText);
    EXPECT_EQ(fresh.scoreGrid.cells, reused.scoreGrid.cells);
  }
}

}  // namespace
}  // namespace fiverow
