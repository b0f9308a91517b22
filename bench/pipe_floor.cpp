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
// With --one-thread, all the games are played on one thread, each waiting
// for its engine in one poll over them all, rather than a thread a game.
//
// usage: fiverow-pipe-floor GAMES CONCURRENCY [--pause] [--pin] [--one-thread] [BRAIN]
// Prints the games, the engine moves and the wall time; time it from outside
// for the CPU that it and its engines used.
#include <poll.h>
#include <signal.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
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
  bool oneThread = false;
  const char* brain = FIVEROW_BRAIN_PATH;
};

struct Board {
  int cells[kSize][kSize]{};  // 0 empty, else the side
};

struct Stone {
  int x, y, side;
};

bool MakesFive(const Board& board, int x, int y) {
  constexpr std::array<std::array<int, 2>, 4> kDirections{{{1, 0}, {0, 1}, {1, 1}, {1, -1}}};
  const int side = board.cells[x][y];
  for (const auto [dx, dy] : kDirections) {
    int run = 1;
    for (const int sign : {1, -1}) {
      for (int cx = x + sign * dx, cy = y + sign * dy;
           cx >= 0 && cx < kSize && cy >= 0 && cy < kSize && board.cells[cx][cy] == side;
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
    Begin();
    while (!TakeReply()) {
    }
    return moves_;
  }

  // Starts a game: the first engine is sent its move.
  void Begin() {
    board_ = Board{};
    stones_.clear();
    for (std::size_t i = 0; i < kOpening.size(); ++i) {
      stones_.push_back({kOpening[i][0], kOpening[i][1], static_cast<int>(i % 2) + 1});
      board_.cells[kOpening[i][0]][kOpening[i][1]] = stones_.back().side;
    }
    told_ = {};
    moves_ = 0;
    side_ = 1;
    Ask();
  }

  // The answer of the engine to move, waited for; true when it ended the
  // game, else the other engine is sent its move.
  bool TakeReply() {
    BrainProcess& engine = Mover();
    const std::string reply = engine.Reply();
    Stop(engine);
    ++moves_;
    int x = -1, y = -1;
    if (std::sscanf(reply.c_str(), "%d,%d", &x, &y) != 2 || x < 0 || x >= kSize || y < 0 ||
        y >= kSize || board_.cells[x][y] != 0) {
      Fail("the brain answered " + reply);
    }
    board_.cells[x][y] = side_;
    stones_.push_back({x, y, side_});
    if (MakesFive(board_, x, y) || static_cast<int>(stones_.size()) == kSize * kSize) {
      for (auto& each : engines_) {
        Continue(*each);
        if (each->Ask("RESTART\r\n") != "OK") Fail("RESTART was not answered OK");
        Stop(*each);
      }
      return true;
    }
    side_ = 3 - side_;
    Ask();
    return false;
  }

  long moves() const { return moves_; }
  // What the engine to move answers on.
  int answers() const { return engines_[Seat()]->output(); }

 private:
  void Stop(BrainProcess& engine) const {
    if (options_.pause) ::kill(-engine.group(), SIGSTOP);
  }
  void Continue(BrainProcess& engine) const {
    if (options_.pause) ::kill(-engine.group(), SIGCONT);
  }
  std::size_t Seat() const { return static_cast<std::size_t>(side_ - 1); }
  BrainProcess& Mover() { return *engines_[Seat()]; }

  // Sends the engine to move its command, BOARD at its first move of the
  // game, else TURN, and lets it run.
  void Ask() {
    std::string command;
    if (!told_[Seat()]) {
      command = "BOARD\r\n";
      for (const Stone& stone : stones_) {
        command += std::to_string(stone.x) + "," + std::to_string(stone.y) +
                   (stone.side == side_ ? ",1\r\n" : ",2\r\n");
      }
      command += "DONE\r\n";
      told_[Seat()] = true;
    } else {
      command = "TURN " + std::to_string(stones_.back().x) + "," +
                std::to_string(stones_.back().y) + "\r\n";
    }
    Mover().Send(command);
    Continue(Mover());
  }

  const Options& options_;
  std::array<std::optional<BrainProcess>, 2> engines_;
  Board board_;
  std::vector<Stone> stones_;
  std::array<bool, 2> told_{};
  long moves_ = 0;
  int side_ = 1;  // to move: 1 black, 2 white
};

// All the games at once on one thread: each waits for its engine's answer
// in one poll over them all.
long PlayOnOneThread(const Options& options) {
  std::vector<std::unique_ptr<Table>> tables;
  int started = 0;
  long moves = 0;
  for (int i = 0; i < options.concurrency && started < options.games; ++i, ++started) {
    tables.push_back(std::make_unique<Table>(options));
    tables.back()->Begin();
  }
  std::vector<pollfd> watches;
  while (!tables.empty()) {
    watches.clear();
    for (const auto& table : tables) watches.push_back({table->answers(), POLLIN, 0});
    if (::poll(watches.data(), watches.size(), -1) < 0) Fail("poll");
    for (std::size_t i = tables.size(); i-- > 0;) {
      if (watches[i].revents == 0 || !tables[i]->TakeReply()) continue;
      moves += tables[i]->moves();
      if (started < options.games) {
        ++started;
        tables[i]->Begin();
      } else {
        tables.erase(tables.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }
  return moves;
}

Options Parse(int argc, char** argv) {
  if (argc < 3)
    Fail("usage: fiverow-pipe-floor GAMES CONCURRENCY [--pause] [--pin] [--one-thread] [BRAIN]");
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
    } else if (word == "--one-thread") {
      options.oneThread = true;
    } else {
      options.brain = argv[i];
    }
  }
  return options;
}

// A thread a game, each with its two engines, taking games until all are
// played.
long PlayOnThreads(const Options& options) {
  std::atomic<int> next{0};
  std::atomic<long> moves{0};
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
  return moves;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = Parse(argc, argv);
  ::signal(SIGPIPE, SIG_IGN);
  const auto start = std::chrono::steady_clock::now();
  const long moves = options.oneThread ? PlayOnOneThread(options) : PlayOnThreads(options);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::printf("%d games, %ld engine moves, %d at once%s%s%s: %.3f s\n", options.games, moves,
              options.concurrency, options.oneThread ? " on one thread" : "",
              options.pause ? ", paused" : "", options.pin ? ", pinned" : "", wall.count());
}
