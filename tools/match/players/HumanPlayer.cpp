#include "players/HumanPlayer.h"

#include <iostream>

#include "common/EscapedText.h"
#include "common/Terminal.h"
#include "game/BoardText.h"
#include "process/OutputCheck.h"
#include "process/RefereeError.h"
#include "process/StandardInput.h"
#include "protocol/Numbers.h"
#include "protocol/Text.h"

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
    char c = 0;
    const InputByte got = ReadInputByte(deadline, c);
    if (got == InputByte::TimedOut) return Input::TimedOut;
    if (got == InputByte::End) return line.empty() ? Input::End : Input::Line;
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
  std::cout << text;
  CheckOutput(std::cout);
}

}  // namespace

Answer HumanPlayer::Play(const MoveRequest& request) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline =
      DeadlineAfter(start, request.limitSeconds + request.marginSeconds);
  const bool echo = !InputIsTerminal();
  const std::string prompt =
      label_ + " (" + StoneChar(request.side) + ") to move, type x,y (column,row) or quit: ";
  Show('\n' +
       RenderBoard(request.position, request.last, tools::ColourWanted(tools::kStandardOutput)) +
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
    const std::string_view typed = protocol::TrimmedBlanks(line);
    // Blanks are allowed around the numbers, not inside them.
    const std::optional<Move> cell = cut ? std::nullopt : protocol::ParseCellInLine(typed);
    std::string refusal;
    if (input == Input::End || typed == "quit") {
      answer.fault = Ending::Resigned;
      answer.reason = input == Input::End ? "resigned: the input ended" : "resigned";
      return answer;
    } else if (!cell || !request.position.OnBoard(*cell)) {
      refusal = tools::QuotedText(typed, cut) + " is not x,y with x and y in " +
                CoordinateRange(request.position) + ", nor quit";
    } else if (!request.position.IsEmpty(*cell)) {
      refusal = protocol::CellText(*cell) + " is occupied";
    } else {
      answer.move = cell;
      return answer;
    }
    Show("refused: " + refusal + "\n" + prompt);
  }
}

}  // namespace fiverow::match
