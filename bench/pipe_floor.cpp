// The floor of a pipe match: the least any referee can spend on a move.
// Plays GAMES games of the brain against itself from the bench opening,
// CONCURRENCY at once, doing only what no referee can skip: the brain's
// lines are passed on (BOARD at an engine's first move of a game, TURN after
// it, RESTART between games) and a five ends a game. Nothing is checked,
// timed or logged. With --pause, the engine not to move is stopped with its
// whole process group, as the referee keeps it: its command is written while
// it is stopped, then SIGCONT, then SIGSTOP once it has answered. With
// --pin, each game's thread and its engines are held to one CPU, as
// fiverow-match --pin holds them.
//
// usage: fiverow-pipe-floor GAMES CONCURRENCY [--pause] [--pin] [BRAIN]
// Prints the games, the engine moves and the wall time; time it from outside
// for the CPU that it and its engines used.
#include <signal.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BrainProcess.h"
#include "process/CpuPin.h"

namespace {

using fiverow::bench::BrainProcess;
using fiverow::bench::Fail;

constexpr int kSize = 20;
// The opening of bench/selfplay-bench.sh: black, white, black, white.
constexpr std::array<std::array<int, 2>, 4> kOpening{{{3, 2}, {4, 4}, {5, 5}, {3, 6}}};

struct Options {
  int games = 0;
  int concurrency = 1;
  bool pause = false;
  bool pin = false;
  const char* brain = FIVEROW_BRAIN_PATH;
};

using Grid = int[kSize][kSize];  // 0 empty, else the side

struct Stone {
  int x, y, side;
};

bool MakesFive(const Grid& board, int x, int y) {
  constexpr std::array<std::array<int, 2>, 4> kDirections{{{1, 0}, {0, 1}, {1, 1}, {1, -1}}};
  const int side = board[x][y];
  for (const auto [dx, dy] : kDirections) {
    int run = 1;
    for (const int sign : {1, -1}) {
      for (int cx = x + sign * dx, cy = y + sign * dy;
           cx >= 0 && cx < kSize && cy >= 0 && cy < kSize && board[cx][cy] == side;
           cx += sign * dx, cy += sign * dy) {
        ++run;
      }
    }
    if (run >= 5) return true;
  }
  return false;
}

// One worker: two engines kept for all its games.
class Table {
 public:
  explicit Table(const Options& options) : options_(options) {
    for (auto& engine : engines_) {
      engine.emplace(options.brain);
      if (engine->Ask("START 20\r\n") != "OK") Fail("START 20 was not answered OK");
      Stop(*engine);
    }
  }

  // Plays one game; returns its engine moves.
  long Play() {
    Grid board{};
    std::vector<Stone> stones;
    for (std::size_t i = 0; i < kOpening.size(); ++i) {
      stones.push_back({kOpening[i][0], kOpening[i][1], static_cast<int>(i % 2) + 1});
      board[kOpening[i][0]][kOpening[i][1]] = stones.back().side;
    }
    std::array<bool, 2> told{};
    long moves = 0;
    for (int side = 1; static_cast<int>(stones.size()) < kSize * kSize; side = 3 - side) {
      const auto seat = static_cast<std::size_t>(side - 1);
      BrainProcess& engine = *engines_[seat];
      std::string command;
      if (!told[seat]) {
        command = "BOARD\r\n";
        for (const Stone& stone : stones) {
          command += std::to_string(stone.x) + "," + std::to_string(stone.y) +
                     (stone.side == side ? ",1\r\n" : ",2\r\n");
        }
        command += "DONE\r\n";
        told[seat] = true;
      } else {
        command = "TURN " + std::to_string(stones.back().x) + "," +
                  std::to_string(stones.back().y) + "\r\n";
      }
      engine.Send(command);
      Continue(engine);
      const std::string reply = engine.Reply();
      Stop(engine);
      ++moves;
      int x = -1, y = -1;
      if (std::sscanf(reply.c_str(), "%d,%d", &x, &y) != 2 || x < 0 || x >= kSize || y < 0 ||
          y >= kSize || board[x][y] != 0) {
        Fail("the brain answered " + reply);
      }
      board[x][y] = side;
      stones.push_back({x, y, side});
      if (MakesFive(board, x, y)) break;
    }
    for (auto& engine : engines_) {
      Continue(*engine);
      if (engine->Ask("RESTART\r\n") != "OK") Fail("RESTART was not answered OK");
      Stop(*engine);
    }
    return moves;
  }

 private:
  void Stop(BrainProcess& engine) const {
    if (options_.pause) ::kill(-engine.group(), SIGSTOP);
  }
  void Continue(BrainProcess& engine) const {
    if (options_.pause) ::kill(-engine.group(), SIGCONT);
  }

  const Options& options_;
  std::array<std::optional<BrainProcess>, 2> engines_;
};

Options Parse(int argc, char** argv) {
  if (argc < 3) Fail("usage: fiverow-pipe-floor GAMES CONCURRENCY [--pause] [--pin] [BRAIN]");
  Options options;
  options.games = std::atoi(argv[1]);
  options.concurrency = std::atoi(argv[2]);
  if (options.games < 1 || options.concurrency < 1) Fail("GAMES and CONCURRENCY must be positive");
  for (int i = 3; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--pause") {
      options.pause = true;
    } else if (word == "--pin") {
      options.pin = true;
    } else {
      options.brain = argv[i];
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  ::signal(SIGPIPE, SIG_IGN);
  std::atomic<int> next{0};
  std::atomic<long> moves{0};
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> workers;
  for (int slot = 0; slot < options.concurrency; ++slot) {
    workers.emplace_back([&, slot] {
      std::optional<fiverow::match::CpuPin> pin;
      if (options.pin) pin.emplace(slot);
      Table table(options);
      while (next.fetch_add(1) < options.games) moves += table.Play();
    });
  }
  for (std::thread& worker : workers) worker.join();
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::printf("%d games, %ld engine moves, %d at once%s%s: %.3f s\n", options.games, moves.load(),
              options.concurrency, options.pause ? ", paused" : "", options.pin ? ", pinned" : "",
              wall.count());
}
