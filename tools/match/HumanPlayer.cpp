#include "match/HumanPlayer.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "common/Blanks.h"
#include "common/CellText.h"
#include "common/EscapedText.h"
#include "common/Terminal.h"
#include "match/BoardView.h"
#include "match/RefereeError.h"
#include "match/StopSignals.h"

namespace fiverow::match {

namespace {

// Longer input lines are refused without being kept.
constexpr std::size_t kInputLimit = 256;

enum class Input { Line, End, TimedOut };

// A line of standard input, read a byte at a time so that nothing after it
// is taken from a script's input. Throws Interrupted on a stop request.
Input ReadInputLine(Clock::time_point deadline, std::string& line, bool& cut) {
  line.clear();
  cut = false;
  while (true) {
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {StopNotificationFd(), POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::max(deadline - Clock::now(), Clock::duration::zero()));
    const timespec timeout{static_cast<time_t>(left.count() / 1000000000),
                           static_cast<long>(left.count() % 1000000000)};
    const bool forever = deadline == Clock::time_point::max();
    const int ready = ::ppoll(watched, 2, forever ? nullptr : &timeout, nullptr);
    if (ready < 0 && errno == EINTR) continue;
    if (watched[1].revents != 0) throw Interrupted();
    if (ready == 0) return Input::TimedOut;
    char c = 0;
    const ssize_t got = ready < 0 ? -1 : ::read(STDIN_FILENO, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return line.empty() ? Input::End : Input::Line;
    if (c == '\n') return Input::Line;
    if (c == '\r') continue;
    if (line.size() < kInputLimit) {
      line += c;
    } else {
      cut = true;
    }
  }
}

void Show(const std::string& text) {
  std::cout << text << std::flush;
  if (!std::cout) throw RefereeError("cannot write to standard output");
}

// x,y with blanks allowed around the numbers.
std::optional<Move> ParseTypedCell(const std::string& text) {
  std::string compact;
  for (const char c : text) {
    if (c != ' ' && c != '\t') compact += c;
  }
  return tools::ParseCell(compact);
}

}  // namespace

Answer HumanPlayer::Play(const MoveRequest& request) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = DeadlineAfter(start, request.limitSeconds);
  const bool echo = ::isatty(STDIN_FILENO) != 1;
  const std::string prompt =
      engine_.label + " (" + StoneChar(request.side) + ") to move, type x,y (column,row) or quit: ";
  Show('\n' + RenderBoard(request.position, request.last, tools::ColourWanted(STDOUT_FILENO)) +
       prompt);
  Answer answer;
  std::string line;
  bool cut = false;
  while (true) {
    const Input input = ReadInputLine(deadline, line, cut);
    answer.seconds = SecondsSince(start);
    if (input == Input::TimedOut) {
      Show("\n");
      answer.fault = Ending::TimeOut;
      return answer;
    }
    if (echo) Show(tools::ShownText(line) + "\n");
    const std::string typed(tools::TrimmedBlanks(line));
    const std::optional<Move> cell = cut ? std::nullopt : ParseTypedCell(typed);
    std::string refusal;
    if (input == Input::End || typed == "quit") {
      answer.fault = Ending::Five;  // a loss, but no fault
      answer.reason = input == Input::End ? "resigned: the input ended" : "resigned";
      return answer;
    } else if (!cell) {
      refusal = tools::QuotedText(typed, cut) + " is not x,y with x and y in 0..19, nor quit";
    } else if (!request.position.IsEmpty(*cell)) {
      refusal = tools::CellText(*cell) + " is occupied";
    } else {
      answer.move = cell;
      return answer;
    }
    Show("refused: " + refusal + "\n" + prompt);
  }
}

}  // namespace fiverow::match
