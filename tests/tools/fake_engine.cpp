// A fake engine for the referee's tests. It speaks either protocol, and plays
// well or misbehaves as its mode says. Its file modes play on 20 x 20, its
// pipe modes on the size START gives (up to 22).
//
//   fiverow_fake_engine file MODE [ARG...]
//     One move: reads Plocha.dat and Tah.dat in its folder, writes the move
//     to Tah.dat.
//       legal              its own choice (below): legal, and able to win
//       first              the first empty cell: legal, and weak
//       blunder N ENGINE.. runs ENGINE, but on one position in N (by a hash of
//                          the position) plays the first empty cell instead
//       occupied           the first occupied cell (10,10 on an empty board)
//       garbage            writes "hello" as its move
//       fail               prints a report and exits with status 1
//       sleep PIDFILE      starts a child, writes "own child" pids, sleeps 30 s
//       straggler PIDFILE  plays the first empty cell, leaves a child running
//                          and writes "own child" pids
//       escapes            prints terminal escapes and 70000 zero bytes, and
//                          exits with status 3
//
//   fiverow_fake_engine pipe [--log FILE] [--pid FILE] MODE [ARG...]
//     A game of commands on standard input, replies on standard output.
//     --log appends every line heard to FILE; --pid writes its pid to FILE.
//       legal              answers as the protocol asks, with its own choice
//       talk               legal, with a MESSAGE holding an escape and a DEBUG
//                          line before each move: LF, CR and CR LF line ends
//       unknown            answers a move command with "UNKNOWN <command>"
//       garbage            answers a move command with "hello"
//       refuse             answers START with "ERROR no room"
//       silent             never answers a move command
//       exit-after-move    exits with status 3 after its first move
//       ignore-end         sleeps 30 s instead of ending at END
//       slow MS            thinks MS milliseconds a move
//       hog                allocates 100 MB at its first move; where that is
//                          refused, says so and exits with status 2
//       slow-start         takes 1.2 s to answer START; told INFO max_memory N
//                          (N > 0), allocates and touches N less 16 MiB
//       error-race [MS]    thinks MS ms a move (default 500); a command heard
//                          meanwhile is answered "ERROR Unknown command: ..."
//                          and the move follows 5 ms later
//       error-first        sends "ERROR Unknown command: ..." before each move,
//                          the move 5 ms later, as error-race does when it
//                          hears a command
//       no-restart         answers RESTART with UNKNOWN
//       mute               never answers anything
//       on-time            moves at 90% of its turn limit: INFO timeout_turn,
//                          or INFO time_left where that is less
//       twice              answers every command twice
//       burner PIDFILE     at START, starts a child in a session of its own
//                          that burns CPU for up to 60 s; writes its pid
//       markup             legal, but names itself and talks in HTML that
//                          would run script if a page took it for markup
//
// Its choice: the empty cell that makes its longest line, or blocks the
// longest line of the other side (its own line first when equal), nearest the
// centre, then first in row order.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kSize = 20;  // of Plocha.dat
constexpr int kLargestSize = 22;

// 0 empty, 1 own stone, 2 the other side's, on a board of `size`.
struct Grid {
  int size = kSize;
  int cells[kLargestSize][kLargestSize] = {};
  int& at(int x, int y) { return cells[y][x]; }
  int at(int x, int y) const { return cells[y][x]; }
  bool OnBoard(int x, int y) const { return x >= 0 && x < size && y >= 0 && y < size; }
};

int LineThrough(const Grid& grid, int x, int y, int stone) {
  static constexpr int kAxes[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  int longest = 0;
  for (const auto& axis : kAxes) {
    int length = 1;
    for (const int sign : {1, -1}) {
      for (int cx = x + sign * axis[0], cy = y + sign * axis[1];
           grid.OnBoard(cx, cy) && grid.at(cx, cy) == stone;
           cx += sign * axis[0], cy += sign * axis[1]) {
        ++length;
      }
    }
    longest = std::max(longest, length);
  }
  return longest;
}

// The cell chosen for the own side, or {-1, -1} on a full board.
std::array<int, 2> Choose(const Grid& grid) {
  std::array<int, 2> best = {-1, -1};
  int bestScore = -1;
  int bestDistance = 0;
  const int centre = grid.size / 2;
  for (int y = 0; y < grid.size; ++y) {
    for (int x = 0; x < grid.size; ++x) {
      if (grid.at(x, y) != 0) continue;
      const int score = std::max(2 * std::min(LineThrough(grid, x, y, 1), 5) + 1,
                                 2 * std::min(LineThrough(grid, x, y, 2), 5));
      const int distance = std::max(std::abs(x - centre), std::abs(y - centre));
      if (score > bestScore || (score == bestScore && distance < bestDistance)) {
        best = {x, y};
        bestScore = score;
        bestDistance = distance;
      }
    }
  }
  return best;
}

std::string CellText(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

void SleepMs(long ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// What a child of the engine does: sleep 30 s, or burn CPU for up to 60 s.
enum class ChildWork { Sleep, Burn };

void DoChildWork(ChildWork work) {
  if (work == ChildWork::Sleep) return SleepMs(30000);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  volatile std::uint64_t spin = 0;
  while (std::chrono::steady_clock::now() < until) {
    for (int i = 0; i < 1000000; ++i) spin = spin + 1;
  }
}

// The platform's part: the engine's pid, a child doing `work` (a burner in a
// session of its own), and reads of standard input bounded in time.
#ifdef _WIN32
long OwnPid() { return static_cast<long>(::GetCurrentProcessId()); }

// The engine started again as "child sleep|burn".
long StartChild(ChildWork work) {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(self) + L"\" child ";
  line += work == ChildWork::Sleep ? L"sleep" : L"burn";
  STARTUPINFOW info{};
  info.cb = sizeof info;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &info,
                        &started))
    return -1;
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  return static_cast<long>(started.dwProcessId);
}

// Bytes read, 0 at the end of the input, -1 when none came within `waitMs`.
long ReadInput(char* block, std::size_t size, int waitMs) {
  const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  DWORD ready = 0;
  while (waitMs >= 0 && ::PeekNamedPipe(in, nullptr, 0, nullptr, &ready, nullptr) && ready == 0) {
    if (std::chrono::steady_clock::now() >= until) return -1;
    ::Sleep(1);
  }
  DWORD got = 0;
  return ::ReadFile(in, block, static_cast<DWORD>(size), &got, nullptr) ? static_cast<long>(got)
                                                                        : 0;
}

int RunInstead(char** argv) {
  const intptr_t status = ::_spawnv(_P_WAIT, argv[0], argv);
  return status == -1 ? 127 : static_cast<int>(status);
}

void PrepareStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}
#else
long OwnPid() { return ::getpid(); }

long StartChild(ChildWork work) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (work == ChildWork::Burn) ::setsid();
    DoChildWork(work);
    ::_exit(0);
  }
  return child;
}

long ReadInput(char* block, std::size_t size, int waitMs) {
  pollfd in = {STDIN_FILENO, POLLIN, 0};
  if (::poll(&in, 1, waitMs) == 0) return -1;
  const ssize_t got = ::read(STDIN_FILENO, block, size);
  return got < 0 ? 0 : got;
}

int RunInstead(char** argv) {
  ::execv(argv[0], argv);
  return 127;
}

// A manager that has gone makes a write fail, not a signal.
void PrepareStreams() { ::signal(SIGPIPE, SIG_IGN); }
#endif

void WritePids(const char* path, long child) {
  std::ofstream(path, std::ios::trunc) << OwnPid() << " " << child << "\n";
}

// Touches every page of `bytes` newly allocated bytes, kept to the end (and
// out of the optimizer's reach).
char* volatile held = nullptr;
bool Hold(std::size_t bytes) {
  held = static_cast<char*>(std::malloc(bytes));
  if (held == nullptr) return false;
  for (std::size_t at = 0; at < bytes; at += 4096) held[at] = 1;
  return true;
}

// ---- the file protocol -----------------------------------------------------

std::string PositionText() {
  std::ifstream file("Plocha.dat");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The first cell, in row order, whose character is or is not "-".
std::string FirstCell(bool occupied) {
  std::istringstream lines(PositionText());
  std::string line;
  for (int y = 0; y < kSize && std::getline(lines, line); ++y) {
    for (int x = 0; x < kSize && x < static_cast<int>(line.size()); ++x) {
      if ((line[static_cast<std::size_t>(x)] != '-') == occupied) return CellText(x, y);
    }
  }
  return "10,10";
}

// The move of its choice. An "o" first in Tah.dat gives it the x stones.
std::string ChosenCell() {
  std::ifstream turn("Tah.dat");
  const char own = turn.get() == 'o' ? 'x' : 'o';
  Grid grid{};
  std::istringstream lines(PositionText());
  std::string line;
  for (int y = 0; y < kSize && std::getline(lines, line); ++y) {
    for (int x = 0; x < kSize && x < static_cast<int>(line.size()); ++x) {
      const char c = line[static_cast<std::size_t>(x)];
      grid.at(x, y) = c == '-' ? 0 : c == own ? 1 : 2;
    }
  }
  const auto cell = Choose(grid);
  return CellText(cell[0], cell[1]);
}

void WriteMove(const std::string& text) { std::ofstream("Tah.dat", std::ios::trunc) << text; }

int PlayFile(const std::vector<std::string>& args, char** argv) {
  const std::string mode = args.empty() ? "" : args[0];
  if (mode == "legal") {
    WriteMove(ChosenCell());
  } else if (mode == "first") {
    WriteMove(FirstCell(false));
  } else if (mode == "blunder" && args.size() > 2) {
    std::uint32_t hash = 2166136261u;
    for (const char c : PositionText()) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    if (hash % std::stoul(args[1]) != 0) {
      const int status = RunInstead(argv + 4);
      if (status == 127) std::perror(argv[4]);
      return status == 127 ? 3 : status;
    }
    WriteMove(FirstCell(false));
  } else if (mode == "occupied") {
    WriteMove(FirstCell(true));
  } else if (mode == "garbage") {
    WriteMove("hello");
  } else if (mode == "fail") {
    std::cout << "engine failure: cannot think" << std::endl;
    return 1;
  } else if (mode == "sleep" && args.size() > 1) {
    WritePids(args[1].c_str(), StartChild(ChildWork::Sleep));
    SleepMs(30000);
  } else if (mode == "straggler" && args.size() > 1) {
    WriteMove(FirstCell(false));
    WritePids(args[1].c_str(), StartChild(ChildWork::Sleep));
  } else if (mode == "escapes") {
    std::cout << "\033[2J\033]0;owned\007\033[1A\033[2Kgame 1 of 2: A wins\n"
              << std::string(70000, '\0') << std::flush;
    return 3;
  } else {
    std::cerr << "fiverow_fake_engine: unknown file mode\n";
    return 3;
  }
  return 0;
}

// ---- the pipe protocol -----------------------------------------------------

// Lines from standard input, read unbuffered so that a wait can be bounded.
class Input {
 public:
  // The next line without its line end; false at the end of the input, or
  // when none is complete within `waitMs` (-1: no bound).
  bool Next(std::string& line, int waitMs = -1) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
      const std::size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
      }
      if (ended_) return false;
      int timeout = -1;
      if (waitMs >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        timeout = static_cast<int>(left.count());
      }
      char block[4096];
      const long got = ReadInput(block, sizeof block, timeout);
      if (got < 0) return false;
      if (got == 0) {
        ended_ = true;
        if (!buffer_.empty()) buffer_ += '\n';
      } else {
        buffer_.append(block, static_cast<std::size_t>(got));
      }
    }
  }

 private:
  std::string buffer_;
  bool ended_ = false;
};

// Markup that would change the page's title, or show an alert, if it ran.
constexpr const char* kMarkup =
    "<script>document.title='owned'</script><img src=x onerror=document.title='owned'>";

class PipeEngine {
 public:
  PipeEngine(std::string mode, std::vector<std::string> args, std::string log)
      : mode_(std::move(mode)), args_(std::move(args)), log_(std::move(log)) {}

  int Run() {
    for (std::string line; input_.Next(line);) {
      if (!log_.empty()) std::ofstream(log_, std::ios::app) << line << "\n";
      if (const int status = Heard(line); status >= 0) return status;
    }
    return 0;
  }

 private:
  // Handles one command; an exit status to end with, or -1 to go on.
  int Heard(const std::string& line) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (board_) {
      int x = 0, y = 0, who = 0;
      char comma = 0;
      if (word == "DONE") {
        board_ = false;
        return Move(word);
      }
      if (std::istringstream(line) >> x >> comma >> y >> comma >> who && grid_.OnBoard(x, y))
        grid_.at(x, y) = who == 1 ? 1 : 2;
      return -1;
    }
    if (mode_ == "mute") return word == "END" ? 0 : -1;
    if (word == "START") return Start(words);
    if (word == "RESTART") {
      grid_ = Grid{grid_.size};
      Reply(mode_ == "no-restart" ? "UNKNOWN RESTART" : "OK");
    } else if (word == "INFO") {
      std::string key;
      long value = 0;
      words >> key >> value;
      if (key == "timeout_turn") turnMs_ = value;
      if (key == "time_left") leftMs_ = value;
      if (key == "max_memory" && mode_ == "slow-start" && value > (16l << 20) &&
          !Hold(static_cast<std::size_t>(value - (16l << 20)))) {
        std::cerr << "fiverow_fake_engine: out of memory\n";
        return 2;
      }
    } else if (word == "BEGIN") {
      return Move(word);
    } else if (word == "TURN") {
      int x = -1, y = -1;
      char comma = 0;
      if (!(words >> x >> comma >> y) || !grid_.OnBoard(x, y) || grid_.at(x, y) != 0) {
        Reply("ERROR bad TURN: " + line);
        return -1;
      }
      grid_.at(x, y) = 2;
      return Move(word);
    } else if (word == "BOARD") {
      grid_ = Grid{grid_.size};
      board_ = true;
    } else if (word == "ABOUT") {
      Reply(mode_ == "markup" ? "name=\"" + std::string(kMarkup) + "\", version=\"1.0\""
                              : "name=\"fiverow_fake_engine\", version=\"1.0\"");
    } else if (word == "END") {
      if (mode_ == "ignore-end") SleepMs(30000);
      return 0;
    } else if (!word.empty()) {
      Reply("UNKNOWN " + line);
    }
    return -1;
  }

  int Start(std::istringstream& words) {
    int size = 0;
    if (mode_ == "refuse") {
      Reply("ERROR no room");
      return -1;
    }
    if (!(words >> size) || size < 5 || size > kLargestSize) {
      Reply("ERROR unsupported size");
      return -1;
    }
    if (mode_ == "slow-start") SleepMs(1200);
    if (mode_ == "burner" && !args_.empty()) StartBurner(args_[0]);
    grid_ = Grid{size};
    Reply("OK");
    return -1;
  }

  // A child in a session of its own, out of the engine's process group, that
  // burns CPU for up to 60 s.
  static void StartBurner(const std::string& pidFile) {
    std::ofstream(pidFile, std::ios::trunc) << StartChild(ChildWork::Burn) << "\n";
  }

  // Answers a move command as the mode says.
  int Move(const std::string& command) {
    if (mode_ == "unknown") {
      Reply("UNKNOWN " + command);
      return -1;
    }
    if (mode_ == "garbage") {
      Reply("hello");
      return -1;
    }
    if (mode_ == "silent") return -1;
    if (mode_ == "hog" && !Hold(100000000)) {
      std::cerr << "fiverow_fake_engine: cannot allocate 100000000 bytes\n";
      return 2;
    }
    if (mode_ == "slow" && !args_.empty()) SleepMs(std::stol(args_[0]));
    if (mode_ == "on-time") SleepMs(std::min(turnMs_, leftMs_ < 0 ? turnMs_ : leftMs_) * 9 / 10);
    const auto cell = Choose(grid_);
    if (cell[0] < 0) {
      Reply("ERROR the board is full");
      return -1;
    }
    if (mode_ == "error-race") {
      std::string heard;
      if (input_.Next(heard, args_.empty() ? 500 : std::stoi(args_[0]))) {
        Reply("ERROR Unknown command: " + heard);
        SleepMs(5);
      }
    }
    if (mode_ == "error-first") {
      Reply("ERROR Unknown command: INFO");
      SleepMs(5);
    }
    if (mode_ == "talk") Send("MESSAGE thinking \033[31mhard\nDEBUG depth 1\r");
    if (mode_ == "markup") Send("MESSAGE " + std::string(kMarkup) + "\n");
    grid_.at(cell[0], cell[1]) = 1;
    Reply(CellText(cell[0], cell[1]));
    if (mode_ == "exit-after-move") return 3;
    return -1;
  }

  void Reply(const std::string& text) const {
    for (int i = mode_ == "twice" ? 2 : 1; i > 0; --i) Send(text + "\r\n");
  }

  static void Send(const std::string& bytes) { std::cout << bytes << std::flush; }

  std::string mode_;
  std::vector<std::string> args_;
  std::string log_;
  Input input_;
  Grid grid_{};
  bool board_ = false;
  long turnMs_ = 0;
  long leftMs_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "child") {
    DoChildWork(args[1] == "burn" ? ChildWork::Burn : ChildWork::Sleep);
    return 0;
  }
  PrepareStreams();
  if (!args.empty() && args[0] == "file") return PlayFile({args.begin() + 1, args.end()}, argv);
  if (args.empty() || args[0] != "pipe") {
    std::cerr << "usage: fiverow_fake_engine file|pipe MODE [ARG...] (see its source)\n";
    return 3;
  }
  std::size_t at = 1;
  std::string log;
  for (; at + 1 < args.size() && args[at].starts_with("--"); at += 2) {
    if (args[at] == "--log") log = args[at + 1];
    if (args[at] == "--pid") std::ofstream(args[at + 1], std::ios::trunc) << OwnPid() << "\n";
  }
  if (at >= args.size()) {
    std::cerr << "fiverow_fake_engine: no pipe mode\n";
    return 3;
  }
  return PipeEngine(args[at], {args.begin() + static_cast<long>(at) + 1, args.end()}, log).Run();
}
