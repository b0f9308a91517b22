#include "match/PipeEngine.h"

#include <algorithm>
#include <cctype>

#include "common/Blanks.h"
#include "common/CellText.h"
#include "common/EscapedText.h"
#include "match/RefereeError.h"
#include "match/Workspace.h"

namespace fiverow::match {

namespace {

// Whether `line` begins with the word `keyword`, in any case; `rest` is what follows it.
bool StartsWithWord(std::string_view line, std::string_view keyword, std::string_view& rest) {
  line = tools::TrimmedBlanks(line);
  if (line.size() < keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(line[i])) != keyword[i]) return false;
  }
  if (line.size() > keyword.size() && line[keyword.size()] != ' ' && line[keyword.size()] != '\t')
    return false;
  rest = tools::TrimmedBlanks(line.substr(keyword.size()));
  return true;
}

std::string Milliseconds(double seconds) {
  return std::to_string(static_cast<long long>(std::min(seconds * 1000.0, 2147483647.0)));
}

// "X,Y" with spaces allowed around the numbers, each of at most four digits.
struct ReplyCell {
  bool wellFormed = false;
  int x = 0;
  int y = 0;
};
ReplyCell ParseReplyCell(std::string_view text) {
  const auto number = [](std::string_view digits, int& value) {
    digits = tools::TrimmedBlanks(digits);
    if (digits.empty() || digits.size() > 4) return false;
    value = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    return true;
  };
  ReplyCell cell;
  const std::size_t comma = text.find(',');
  cell.wellFormed = comma != std::string_view::npos && number(text.substr(0, comma), cell.x) &&
                    number(text.substr(comma + 1), cell.y);
  return cell;
}

std::string Line(std::string_view text) { return std::string(text) + "\n"; }

}  // namespace

std::optional<Answer> PipeEngine::StartGame() {
  const Workspace::Ready ready = workspace_.PrepareFolder(player_);
  if (!ready.folder) {
    Answer answer;
    answer.fault = Ending::Folder;
    answer.reason = "left its folder beyond repair: " + ready.problem;
    return answer;
  }
  process_.emplace(engine_.argv, ready.folder.get(),
                   ChildOptions{.talking = true, .memoryLimit = limits_.memoryBytes});
  const Clock::time_point deadline = DeadlineAfter(Clock::now(), limits_.moveSeconds);
  ChildProcess::Wait wait = process_->Send(Line("START 20"), deadline);
  TextLine line;
  if (wait == ChildProcess::Wait::Ready) wait = NextReply(deadline, line);
  if (wait == ChildProcess::Wait::DeadlinePassed) {
    return Crash("did not answer START 20 within " + SecondsText(limits_.moveSeconds));
  }
  if (wait != ChildProcess::Wait::Ready) return Crash(wait, deadline);
  std::string_view rest;
  if (StartsWithWord(line.text, "ERROR", rest)) {
    return Crash("refused START 20: " + tools::QuotedText(line.text, line.cut));
  }
  if (!StartsWithWord(line.text, "OK", rest) || !rest.empty() || line.cut) {
    return Crash("answered " + tools::QuotedText(line.text, line.cut) + " to START 20");
  }
  const std::string info =
      Line("INFO timeout_turn " + Milliseconds(limits_.moveSeconds)) +
      Line("INFO timeout_match " + Milliseconds(limits_.matchSeconds.value_or(0))) +
      Line("INFO max_memory " + std::to_string(limits_.memoryBytes.value_or(0))) +
      Line("INFO game_type 1") +
      Line(std::string("INFO rule ") + (limits_.rule == Rule::Standard ? "1" : "0"));
  wait = process_->Send(info, deadline);
  if (wait == ChildProcess::Wait::DeadlinePassed) {
    return Crash("did not take its INFO lines within " + SecondsText(limits_.moveSeconds));
  }
  if (wait != ChildProcess::Wait::Ready) return Crash(wait, deadline);
  return std::nullopt;
}

std::string PipeEngine::MoveCommand(const MoveRequest& request) const {
  const std::size_t stones = request.stones.size();
  if (stones == 0) return Line("BEGIN");
  // The opponent's move alone is new to it; an opening stone is not a move.
  if (request.last && stones == stonesKnown_ + 1) {
    return Line("TURN " + tools::CellText(*request.last));
  }
  std::string board = Line("BOARD");
  for (std::size_t i = 0; i < stones; ++i) {
    const Side side = i % 2 == 0 ? Side::X : Side::O;
    board += Line(tools::CellText(request.stones[i]) + (side == request.side ? ",1" : ",2"));
  }
  return board + Line("DONE");
}

Answer PipeEngine::Play(const MoveRequest& request) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = DeadlineAfter(start, request.limitSeconds);
  const std::string timeLeft = request.timeLeft ? Milliseconds(*request.timeLeft) : "2147483647";
  ChildProcess::Wait wait =
      process_->Send(Line("INFO time_left " + timeLeft) + MoveCommand(request), deadline);
  TextLine line;
  if (wait == ChildProcess::Wait::Ready) wait = NextReply(deadline, line);
  Answer answer;
  if (wait == ChildProcess::Wait::DeadlinePassed) {
    answer.fault = Ending::TimeOut;
  } else if (wait != ChildProcess::Wait::Ready) {
    answer = Crash(wait, deadline);
  }
  answer.seconds = SecondsSince(start);
  if (wait != ChildProcess::Wait::Ready) return answer;

  std::string_view rest;
  const std::string quoted = tools::QuotedText(line.text, line.cut);
  if (StartsWithWord(line.text, "UNKNOWN", rest) || StartsWithWord(line.text, "ERROR", rest)) {
    Answer refusal = Crash("answered " + quoted + " instead of a move");
    refusal.seconds = answer.seconds;
    return refusal;
  }
  const ReplyCell cell = line.cut ? ReplyCell{} : ParseReplyCell(line.text);
  if (!cell.wellFormed) {
    answer.reason = "answered " + quoted + " instead of a move X,Y";
  } else if (cell.x >= kPlaySize || cell.y >= kPlaySize) {
    answer.reason =
        "played " + std::to_string(cell.x) + "," + std::to_string(cell.y) + ", outside the board";
  } else {
    answer.move = Move{static_cast<Int32>(cell.x), static_cast<Int32>(cell.y)};
    stonesKnown_ = request.stones.size() + 1;
  }
  return answer;
}

ChildProcess::Wait PipeEngine::NextReply(Clock::time_point deadline, TextLine& line) {
  while (true) {
    const ChildProcess::Wait wait = process_->ReadLine(deadline, line);
    if (wait != ChildProcess::Wait::Ready) return wait;
    std::string_view rest;
    if (StartsWithWord(line.text, "MESSAGE", rest)) {
      notes_(NoteKind::Message, rest);
    } else if (StartsWithWord(line.text, "DEBUG", rest)) {
      notes_(NoteKind::Debug, rest);
    } else {
      return wait;
    }
  }
}

Answer PipeEngine::Crash(ChildProcess::Wait wait, Clock::time_point deadline) {
  if (wait == ChildProcess::Wait::StopRequested) throw Interrupted();
  if (wait == ChildProcess::Wait::InputClosed) {
    // A closed input is most often an exit on its way: wait a little for it.
    const Clock::time_point soon = DeadlineAfter(Clock::now(), kEndSeconds);
    wait = process_->WaitForExit(std::min(deadline, soon));
    if (wait == ChildProcess::Wait::StopRequested) throw Interrupted();
  }
  const auto& exit = process_->exit();
  if (!exit) return Crash("closed its input (a broken pipe)");
  Answer answer = Crash(
      CrashReason(exit->signalled, exit->code, process_->output(), exit->peakResidentKiB, limits_));
  if (exit->signalled) answer.fault = Ending::Signal;
  return answer;
}

Answer PipeEngine::Crash(std::string reason) {
  Answer answer;
  answer.fault = Ending::ExitStatus;
  answer.reason = std::move(reason);
  answer.output = process_->output();
  answer.outputCut = process_->outputCut();
  return answer;
}

void PipeEngine::Pause() {
  if (process_) process_->Pause();
}

void PipeEngine::Resume() {
  if (process_) process_->Resume();
}

void PipeEngine::EndGame() {
  if (!process_ || process_->exit()) return;
  process_->Resume();
  // At once or not at all: an engine that does not read is killed anyway.
  process_->Send(Line("END"), Clock::now());
}

void PipeEngine::AwaitEnd(Clock::time_point deadline) {
  if (!process_) return;
  process_->WaitForExit(deadline);
  process_->Finish();
}

}  // namespace fiverow::match
