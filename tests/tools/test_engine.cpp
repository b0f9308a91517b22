// Misbehaving engines for the referee's tests, one per mode:
//   first             plays the first empty cell: legal, and weak
//   blunder N ENGINE  runs ENGINE, but on one position in N (by a hash of
//                     the position) plays the first empty cell instead
//   occupied          plays the first occupied cell (10,10 on an empty board)
//   garbage           writes "hello" as its move
//   sleep PIDFILE     starts a child, writes both pids, and sleeps for 30 s
//   fail              prints a report and exits with status 1
//   straggler PIDFILE plays the first empty cell but leaves a child running
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string PositionText() {
  std::ifstream file("Plocha.dat");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The first cell, in row-major order, whose character is or is not "-".
std::string FirstCell(bool occupied) {
  std::istringstream lines(PositionText());
  std::string line;
  for (int y = 0; y < 20 && std::getline(lines, line); ++y) {
    for (int x = 0; x < 20 && x < static_cast<int>(line.size()); ++x) {
      if ((line[static_cast<std::size_t>(x)] != '-') == occupied) {
        return std::to_string(x) + "," + std::to_string(y);
      }
    }
  }
  return "10,10";
}

void WriteMove(const std::string& text) { std::ofstream("Tah.dat", std::ios::trunc) << text; }

// Forks a child that sleeps; writes "parent child" pids to the file.
void LeaveChild(const char* pidFile) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::sleep(30);
    ::_exit(0);
  }
  std::ofstream(pidFile, std::ios::trunc) << ::getpid() << " " << child << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "first") {
    WriteMove(FirstCell(false));
  } else if (mode == "blunder" && argc > 3) {
    std::uint32_t hash = 2166136261u;
    for (const char c : PositionText()) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    if (hash % std::stoul(argv[2]) != 0) {
      ::execv(argv[3], argv + 3);
      return 3;
    }
    WriteMove(FirstCell(false));
  } else if (mode == "occupied") {
    WriteMove(FirstCell(true));
  } else if (mode == "garbage") {
    WriteMove("hello");
  } else if (mode == "sleep" && argc > 2) {
    LeaveChild(argv[2]);
    ::sleep(30);
  } else if (mode == "fail") {
    std::cout << "engine failure: cannot think" << std::endl;
    return 1;
  } else if (mode == "straggler" && argc > 2) {
    WriteMove(FirstCell(false));
    LeaveChild(argv[2]);
  } else {
    std::cerr << "unknown mode\n";
    return 3;
  }
  return 0;
}
