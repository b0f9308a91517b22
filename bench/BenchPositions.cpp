#include "BenchPositions.h"

#include "files/PositionReader.h"
#include "files/TurnFile.h"

namespace fiverow::bench {

const std::array<BenchPosition, 4> kBenchPositions{{
    {"empty",
     {"--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------"},
     'x'},
    {"opening",
     {"--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------", "--------------------",
      "-----------x--------", "----------x---------", "----------xo--------",
      "------------o-------", "--------------------", "--------------------",
      "--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------"},
     'o'},
    {"midgame",
     {"--------------------", "--------------------", "--------------------",
      "--------------------", "--------------------", "-----------o--------",
      "--------------------", "-----------xoo------", "-----------xoox-----",
      "----------xxx-------", "-------o--xoxxx-----", "--------oooxx-------",
      "-------xxoooo-------", "-------ox--o--------", "------o----xoxo-----",
      "-----------x--------", "-----------xx-o-----", "--------------------",
      "--------------------", "--------------------"},
     'o'},
    {"endgame",
     {"-----o------------x-", "------xx-oo---o--o--", "-------x--x--x--xx-o",
      "-oo----xx--xx--xxx-x", "--x-oxxoxox-xoxoxox-", "--ooo-xooxxx--xxoxxx",
      "x-xoxxxxoo-xoxoxxooo", "-o-ooxxxxoooxxxooxoo", "xxoxxoooo--xxxx-ox--",
      "oooo-xxxxoooxooo-oo-", "-oooxxooxoxoooxxooxx", "xxxooxxooooxoxxxooox",
      "ox-oooo-xooxoxxooxox", "oxo-xxxxoxxooxxxxoxx", "xoxoxoxxooxx-o-xoxxo",
      "x-o-ooxxoooxxooxoooo", "xoo-o-xxxxoxooooxxoo", "xoox-oooxoo-x-oxxo-o",
      "---xoxoxxooxoooxxxox", "-oo-ox-ooxxoxxxoo-x-"},
     'x'},
}};

void LoadPosition(RunState& state, const BenchPosition& position) {
  state.emptyCount = 0;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    const char* row = position.rows[static_cast<std::size_t>(y)];
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const CellCode code = CellCodeOf(row[x]);
      state.board.cell(x, y) = code;
      if (code == kEmpty) ++state.emptyCount;
    }
  }
  state.ownCode = OwnCodeOf(position.turn);
}

void LoadRandomPosition(RunState& state, std::uint32_t seed, int stonePercent, CellCode ownCode) {
  // A 32-bit linear congruential generator: exact and identical everywhere.
  std::uint32_t value = seed;
  auto next = [&value] {
    value = value * 1664525u + 1013904223u;
    return value >> 8;
  };
  state.emptyCount = 0;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      CellCode code = kEmpty;
      if (static_cast<int>(next() % 100u) < stonePercent) {
        code = (next() & 1u) != 0 ? kCodeO : kCodeOther;
      }
      state.board.cell(x, y) = code;
      if (code == kEmpty) ++state.emptyCount;
    }
  }
  if (state.emptyCount == 0) {
    state.board.cell(kOpeningMove.x, kOpeningMove.y) = kEmpty;
    state.emptyCount = 1;
  }
  state.ownCode = ownCode;
}

}  // namespace fiverow::bench
