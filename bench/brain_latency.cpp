// pbrain-fiverow's reply latency through pipes against the in-process sweep
// plus selection, on thousands of positions in one run.
//
// usage: fiverow-brain-latency [POSITIONS [BRAIN]]
//
// For each position the in-process ChooseMove and the brain's BOARD ... DONE
// round trip are timed one after the other, so both see the same machine
// state. Prints both medians and their ratio, which must be at most 4; exit
// status 1 when it is not, or when a reply differs from the in-process move.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchPositions.h"
#include "BrainProcess.h"
#include "brain/BrainBoard.h"
#include "engine/Driver.h"

namespace {

using fiverow::Int32;
using fiverow::RunState;
using Clock = std::chrono::steady_clock;
using fiverow::bench::BrainProcess;
using fiverow::bench::Fail;

constexpr double kTarget = 4.0;
constexpr int kWarmUpPositions = 100;

struct Position {
  std::string boardCommand;  // BOARD, the stones, DONE
  fiverow::brain::BrainBoard board;
};

// The bench positions and seeded random ones of up to 31 % stones, the own
// stones given as the brain's (F 1).
Position MakePosition(int index) {
  RunState source;
  if (index % 10 == 0) {
    const auto& fixed = fiverow::bench::kBenchPositions;
    fiverow::bench::LoadPosition(source,
                                 fixed[static_cast<std::size_t>(index / 10) % fixed.size()]);
  } else {
    fiverow::bench::LoadRandomPosition(source, static_cast<std::uint32_t>(index) + 1,
                                       2 + index % 30, fiverow::kCodeO);
  }
  Position position;
  position.boardCommand = "BOARD\r\n";
  for (Int32 y = 0; y < fiverow::kPlaySize; ++y) {
    for (Int32 x = 0; x < fiverow::kPlaySize; ++x) {
      const fiverow::CellCode code = source.board.cell(x, y);
      if (code == fiverow::kEmpty) continue;
      const bool own = code == source.ownCode;
      position.board.Place(x, y, own ? fiverow::brain::kBrainCode : fiverow::brain::kOpponentCode);
      position.boardCommand +=
          std::to_string(x) + "," + std::to_string(y) + (own ? ",1\r\n" : ",2\r\n");
    }
  }
  position.boardCommand += "DONE\r\n";
  return position;
}

double Microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

double Quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
  const char* brainPath = argc > 2 ? argv[2] : FIVEROW_BRAIN_PATH;
  if (count < 1) Fail("POSITIONS must be at least 1");
  ::signal(SIGPIPE, SIG_IGN);

  std::vector<Position> positions;
  for (int i = 0; i < count; ++i) positions.push_back(MakePosition(i));

  BrainProcess brain(brainPath);
  if (brain.Ask("START 20\r\n") != "OK") Fail("START 20 was not answered OK");

  auto state = std::make_unique<RunState>();
  std::vector<double> inProcess, replies;
  for (int round = -kWarmUpPositions; round < count; ++round) {
    const Position& position = positions[static_cast<std::size_t>(std::abs(round) % count)];
    position.board.LoadInto(*state);  // the record the brain builds
    const Clock::time_point start = Clock::now();
    const fiverow::Move move = fiverow::ChooseMove(*state);
    const Clock::time_point chosen = Clock::now();
    const std::string reply = brain.Ask(position.boardCommand);
    const Clock::time_point replied = Clock::now();
    if (reply != fiverow::FormatMove(move).view()) {
      Fail("position " + std::to_string(round) + ": the brain replied " + reply);
    }
    if (round < 0) continue;
    inProcess.push_back(Microseconds(chosen - start));
    replies.push_back(Microseconds(replied - chosen));
  }

  const double sweep = Quantile(inProcess, 0.5), latency = Quantile(replies, 0.5);
  std::printf("positions           %d, after %d warm-up positions\n", count, kWarmUpPositions);
  std::printf("in-process median   %7.1f us   (p10 %.1f, p90 %.1f)  sweep + selection\n", sweep,
              Quantile(inProcess, 0.1), Quantile(inProcess, 0.9));
  std::printf("brain reply median  %7.1f us   (p10 %.1f, p90 %.1f)  BOARD ... DONE to the reply\n",
              latency, Quantile(replies, 0.1), Quantile(replies, 0.9));
  std::printf("ratio               %.2f (target at most %.0f)\n", latency / sweep, kTarget);
  return latency <= kTarget * sweep ? 0 : 1;
}
