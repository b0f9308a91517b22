#include "players/PipeEngine.h"

#include <algorithm>

#include "common/EscapedText.h"
#include "players/CrashReason.h"
#include "process/RefereeError.h"
#include "protocol/Commands.h"
#include "protocol/Numbers.h"
#include "protocol/Replies.h"

namespace fiverow::match {

namespace {

using protocol::CommandKind;
using protocol::CommandLine;
using protocol::ReplyKind;

// Whole milliseconds, as the protocol's INFO values are, at most 2^31 - 1.
std::string WholeMilliseconds(double seconds) {
  return std::to_string(static_cast<long long>(std::min(seconds * 1000.0, 2147483647.0)));
}

std::string Line(std::string_view text) { return std::string(text) + "\n"; }

// The protocol's number for a rule in INFO rule.
std::string_view RuleCode(Rule rule) {
  switch (rule) {
    case Rule::Standard: return "1";
    case Rule::Renju: return "4";
    case Rule::Freestyle: break;
  }
  return "0";
}

}  // namespace

std::optional<Answer> PipeEngine::StartGame(PlayerListener& listener) {
  listener_ = &listener;
  const Workspace::Ready ready = setup_.workspace.PrepareFolder(setup_.label);
  if (!ready.folder) {
    Answer answer;
    answer.fault = Ending::Folder;
    answer.reason = "left its folder beyond repair: " + ready.problem;
    return answer;
  }
  const EngineLimits& limits = setup_.limits;
  process_.emplace(setup_.engine.argv, ready.folder.get(),
                   ChildOptions{.talking = true, .memoryLimit = limits.memoryBytes});
  const std::string start = CommandLine(CommandKind::Start, {limits.boardSize});
  const Clock::time_point deadline = DeadlineAfter(Clock::now(), limits.turnSeconds);
  ChildProcess::Wait wait = process_->Send(Line(start), deadline);
  TextLine line;
  if (wait == ChildProcess::Wait::Ready) wait = NextReply(deadline, line);
  if (wait == ChildProcess::Wait::DeadlinePassed) {
    return Crash("did not answer " + start + " within " + SecondsText(limits.turnSeconds));
  }
  if (wait != ChildProcess::Wait::Ready) return Crash(wait, deadline);
  const protocol::Reply reply = protocol::ParseReply(line.text);
  if (reply.kind == ReplyKind::Error) {
    return Crash("refused " + start + ": " + tools::QuotedText(line.text, line.cut));
  }
  if (reply.kind != ReplyKind::Ok || !reply.text.empty() || line.cut) {
    return Crash("answered " + tools::QuotedText(line.text, line.cut) + " to " + start);
  }
  const std::string info =
      Line(protocol::InfoLine("timeout_turn", WholeMilliseconds(limits.turnSeconds))) +
      Line(
          protocol::InfoLine("timeout_match", WholeMilliseconds(limits.matchSeconds.value_or(0)))) +
      Line(protocol::InfoLine("max_memory", std::to_string(limits.memoryBytes.value_or(0)))) +
      Line(protocol::InfoLine("game_type", "1")) +
      Line(protocol::InfoLine("rule", RuleCode(limits.rule)));
  wait = process_->Send(info, deadline);
  if (wait == ChildProcess::Wait::DeadlinePassed) {
    return Crash("did not take its INFO lines within " + SecondsText(limits.turnSeconds));
  }
  if (wait != ChildProcess::Wait::Ready) return Crash(wait, deadline);
  return std::nullopt;
}

std::string PipeEngine::MoveCommand(const MoveRequest& request) const {
  const std::size_t stones = request.stones.size();
  if (stones == 0) return Line(CommandLine(CommandKind::Begin));
  // The opponent's move alone is new to it; an opening stone is not a move.
  if (request.last && stones == stonesKnown_ + 1) {
    return Line(CommandLine(CommandKind::Turn, {request.last->x, request.last->y}));
  }
  std::string board = Line(CommandLine(CommandKind::Board));
  for (std::size_t i = 0; i < stones; ++i) {
    const Side side = i % 2 == 0 ? Side::X : Side::O;
    board += Line(protocol::CellText(request.stones[i]) + (side == request.side ? ",1" : ",2"));
  }
  return board + Line(CommandLine(CommandKind::Done));
}

Answer PipeEngine::Play(const MoveRequest& request) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = DeadlineAfter(start, request.limitSeconds);
  const std::string timeLeft =
      request.timeLeft ? WholeMilliseconds(*request.timeLeft) : "2147483647";
  ChildProcess::Wait wait = process_->Send(
      Line(protocol::InfoLine("time_left", timeLeft)) + MoveCommand(request), deadline);
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

  const std::string quoted = tools::QuotedText(line.text, line.cut);
  const protocol::Reply reply = line.cut ? protocol::Reply{} : protocol::ParseReply(line.text);
  if (reply.kind == ReplyKind::Unknown || reply.kind == ReplyKind::Error) {
    Answer refusal = Crash("answered " + quoted + " instead of a move");
    refusal.seconds = answer.seconds;
    return refusal;
  }
  if (reply.kind != ReplyKind::Move) {
    answer.reason = "answered " + quoted + " instead of a move X,Y";
  } else {
    answer.move = reply.move;
    stonesKnown_ = request.stones.size() + 1;
  }
  return answer;
}

ChildProcess::Wait PipeEngine::NextReply(Clock::time_point deadline, TextLine& line) {
  while (true) {
    const ChildProcess::Wait wait = process_->ReadLine(deadline, line);
    if (wait != ChildProcess::Wait::Ready) return wait;
    const protocol::Reply reply = protocol::ParseReply(line.text);
    if (!protocol::IsRemark(reply.kind)) return wait;
    listener_->OnNote(reply.kind == ReplyKind::Debug ? NoteKind::Debug : NoteKind::Message,
                      reply.text);
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
  Answer answer = Crash(CrashReason(exit->signalled, exit->code, process_->output(),
                                    exit->peakResidentKiB, setup_.limits.memoryBytes));
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
  process_->Send(Line(CommandLine(CommandKind::End)), Clock::now());
}

void PipeEngine::AwaitEnd(Clock::time_point deadline) {
  if (!process_) return;
  process_->WaitForExit(deadline);
  process_->Finish();
}

}  // namespace fiverow::match
