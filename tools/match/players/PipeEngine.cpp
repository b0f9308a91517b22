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
using protocol::Reply;
using protocol::ReplyKind;

// Whole milliseconds, as the protocol's INFO values are, at most 2^31 - 1.
std::string WholeMilliseconds(double seconds) {
  return std::to_string(static_cast<long long>(std::min(seconds * 1000.0, 2147483647.0)));
}

NoteKind NoteKindOf(ReplyKind kind) {
  switch (kind) {
    case ReplyKind::Message: return NoteKind::Message;
    case ReplyKind::Debug: return NoteKind::Debug;
    case ReplyKind::Error: return NoteKind::Error;
    case ReplyKind::Unknown: return NoteKind::Unknown;
    default: return NoteKind::Other;
  }
}

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

std::optional<Answer> PipeEngine::StartGame(const GameStart& start, NoteListener& listener) {
  notes_ = &listener;
  stonesKnown_ = 0;
  unaskedMove_.clear();
  lastAnswer_.reset();
  const Clock::time_point deadline = DeadlineAfter(Clock::now(), setup_.limits.startSeconds);
  if (process_ && process_->exit()) Drop();  // it ended between games
  if (process_ && told_ != std::tuple(start.boardSize, start.rule, start.time.turnSeconds,
                                      start.time.matchSeconds)) {
    // Told other conditions: it ends, and a new one is told these.
    Close();
    AwaitClose(DeadlineAfter(Clock::now(), kEndSeconds));
  }
  if (process_) {
    bool refused = false;
    if (std::optional<Answer> failure = Restart(deadline, refused); !refused) return failure;
    // It does not know RESTART: it ends, and a new one starts.
    Close();
    AwaitClose(DeadlineAfter(Clock::now(), kEndSeconds));
  }
  return Launch(start, deadline);
}

std::optional<Answer> PipeEngine::Launch(const GameStart& start, Clock::time_point deadline) {
  if (faulted_) ++restarts_[*faulted_];
  faulted_.reset();
  // The folder lives as long as the process.
  setup_.workspace.ClearFolder(setup_.label);
  const Workspace::Ready ready = setup_.workspace.PrepareFolder(setup_.label);
  if (!ready.folder) {
    Answer answer;
    answer.fault = Ending::Folder;
    answer.reason = "left its folder beyond repair: " + ready.problem;
    return answer;
  }
  const EngineLimits& limits = setup_.limits;
  process_ = EngineProcess::Start(setup_.engine.argv, ready.folder.get(),
                                  {.talking = true, .memoryBudget = limits.memoryBytes});
  told_ = {start.boardSize, start.rule, start.time.turnSeconds, start.time.matchSeconds};
  if (std::optional<Answer> failure =
          Expect(CommandLine(CommandKind::Start, {start.boardSize}), deadline)) {
    return failure;
  }
  std::vector<std::string> info = {
      protocol::InfoLine("timeout_turn", WholeMilliseconds(start.time.turnSeconds)),
      protocol::InfoLine("timeout_match", WholeMilliseconds(start.time.matchSeconds.value_or(0))),
      protocol::InfoLine("max_memory", std::to_string(limits.memoryBytes.value_or(0))),
      protocol::InfoLine("game_type", "1"), protocol::InfoLine("rule", RuleCode(start.rule))};
  for (const auto& [key, value] : limits.info) info.push_back(protocol::InfoLine(key, value));
  info.push_back(CommandLine(CommandKind::About));
  TextLine line;
  Reply reply;
  if (std::optional<Answer> failure = StartUpReply(info, deadline, line, reply)) return failure;
  // Any answer ends the start-up; only a proper one names the engine.
  if (reply.kind == ReplyKind::Other && !line.cut) {
    if (const auto name = protocol::AboutValue(line.text, "NAME")) name_ = *name;
  }
  return std::nullopt;
}

std::optional<Answer> PipeEngine::Restart(Clock::time_point deadline, bool& refused) {
  process_->Resume();
  Reply reply;
  std::optional<Answer> failure = Expect(CommandLine(CommandKind::Restart), deadline, &reply);
  refused = failure && (reply.kind == ReplyKind::Unknown || reply.kind == ReplyKind::Error);
  return failure;
}

std::optional<Answer> PipeEngine::Expect(const std::string& command, Clock::time_point deadline,
                                         Reply* answered) {
  TextLine line;
  Reply reply;
  if (std::optional<Answer> failure = StartUpReply({command}, deadline, line, reply))
    return failure;
  if (answered != nullptr) *answered = reply;
  if (reply.kind == ReplyKind::Error) {
    return Crash("refused " + command + ": " + tools::QuotedText(line.text, line.cut));
  }
  if (reply.kind != ReplyKind::Ok || !reply.text.empty() || line.cut) {
    return Crash("answered " + tools::QuotedText(line.text, line.cut) + " to " + command);
  }
  return std::nullopt;
}

std::optional<Answer> PipeEngine::StartUpReply(const std::vector<std::string>& lines,
                                               Clock::time_point deadline, TextLine& line,
                                               Reply& reply) {
  EngineProcess::Wait wait = Send(lines, deadline);
  if (wait == EngineProcess::Wait::Ready) wait = NextReply(deadline, line, reply);
  if (wait == EngineProcess::Wait::DeadlinePassed) {
    Answer answer = Crash("did not answer " + lines.back() + " within its start-up time of " +
                          SecondsText(setup_.limits.startSeconds));
    answer.fault = Ending::TimeOut;
    return answer;
  }
  if (wait != EngineProcess::Wait::Ready) return Crash(wait, deadline);
  return std::nullopt;
}

std::vector<std::string> PipeEngine::MoveCommand(const MoveRequest& request) const {
  const std::size_t stones = request.stones.size();
  if (stones == 0) return {CommandLine(CommandKind::Begin)};
  // The opponent's move alone is new to it; an opening stone is not a move.
  if (request.last && stones == stonesKnown_ + 1) {
    return {CommandLine(CommandKind::Turn, {request.last->x, request.last->y})};
  }
  std::vector<std::string> board = {CommandLine(CommandKind::Board)};
  for (std::size_t i = 0; i < stones; ++i) {
    const Side side = i % 2 == 0 ? Side::X : Side::O;
    board.push_back(protocol::CellText(request.stones[i]) + (side == request.side ? ",1" : ",2"));
  }
  board.push_back(CommandLine(CommandKind::Done));
  return board;
}

Answer PipeEngine::Play(const MoveRequest& request) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline =
      DeadlineAfter(start, request.limitSeconds + request.marginSeconds);
  const std::string timeLeft =
      request.timeLeft ? WholeMilliseconds(*request.timeLeft) : "2147483647";
  std::vector<std::string> command = MoveCommand(request);
  command.insert(command.begin(), protocol::InfoLine("time_left", timeLeft));
  // Written while it is still paused, and resumed after: it wakes once, to
  // its command, and what it wrote before is all read first.
  EngineProcess::Wait wait = Send(command, deadline);
  process_->Resume();
  if (!unaskedMove_.empty()) {
    Answer twice = Crash("answered twice: " + unaskedMove_ + " came when no move was asked for");
    twice.fault = Ending::BadText;
    return twice;
  }
  // Until a move: ERROR and UNKNOWN lines are kept, and so are late answers
  // to other commands (OK, ABOUT's); the wait goes on.
  TextLine line;
  std::string complaint;
  Reply reply;
  while (wait == EngineProcess::Wait::Ready) {
    wait = NextReply(deadline, line, reply);
    if (wait != EngineProcess::Wait::Ready) break;
    if (line.cut) reply = Reply{};
    if (reply.kind == ReplyKind::Error || reply.kind == ReplyKind::Unknown) {
      Note(NoteKindOf(reply.kind), reply.text);
      complaint = "it sent " + tools::QuotedText(line.text, line.cut);
    } else if (reply.kind == ReplyKind::Ok || protocol::AboutValue(line.text, "NAME")) {
      Note(NoteKind::Other, line.text);
    } else {
      break;
    }
  }
  Answer answer;
  if (wait == EngineProcess::Wait::DeadlinePassed) {
    answer.fault = Ending::TimeOut;
    answer.reason = complaint;
  } else if (wait != EngineProcess::Wait::Ready) {
    answer = Crash(wait, deadline);
  } else if (reply.kind != ReplyKind::Move) {
    answer.reason = "answered " + tools::QuotedText(line.text, line.cut) + " instead of a move X,Y";
  } else if (lastAnswer_ == reply.move) {
    // Its last answer again: sent twice, the second stopped on its way.
    answer = Crash("answered twice: " + tools::QuotedText(line.text, line.cut) +
                   " came when no move was asked for");
    answer.fault = Ending::BadText;
  } else {
    answer.move = reply.move;
    lastAnswer_ = reply.move;
    stonesKnown_ = request.stones.size() + 1;
  }
  answer.seconds = SecondsSince(start);
  // What it holds after its move counts too, measured once it is paused,
  // the tree the pause found and stopped.
  process_->Pause();
  if (answer.move && !process_->CheckMemory()) {
    answer = Crash(EngineProcess::Wait::Exited, deadline);
    answer.seconds = SecondsSince(start);
  }
  return answer;
}

void PipeEngine::ReadUnasked() {
  TextLine line;
  while (process_->TakeWaitingLine(line)) {
    if (setup_.lines != nullptr) setup_.lines->OnLine(false, line.text);
    const Reply reply = line.cut ? Reply{} : protocol::ParseReply(line.text);
    if (reply.kind == ReplyKind::Move && unaskedMove_.empty())
      unaskedMove_ = tools::QuotedText(line.text, line.cut);
    Note(NoteKindOf(reply.kind), reply.kind == ReplyKind::Other || reply.kind == ReplyKind::Move
                                     ? std::string_view(line.text)
                                     : reply.text);
  }
}

EngineProcess::Wait PipeEngine::Send(const std::vector<std::string>& lines,
                                     Clock::time_point deadline) {
  // What came before the command is never taken as its answer.
  ReadUnasked();
  std::string bytes;
  for (const std::string& line : lines) {
    if (setup_.lines != nullptr) setup_.lines->OnLine(true, line);
    bytes += line + "\n";
  }
  return process_->Send(bytes, deadline);
}

EngineProcess::Wait PipeEngine::NextReply(Clock::time_point deadline, TextLine& line,
                                          Reply& reply) {
  while (true) {
    const EngineProcess::Wait wait = process_->ReadLine(deadline, line);
    if (wait != EngineProcess::Wait::Ready) return wait;
    if (setup_.lines != nullptr) setup_.lines->OnLine(false, line.text);
    reply = protocol::ParseReply(line.text);
    if (!protocol::IsRemark(reply.kind)) return wait;
    Note(NoteKindOf(reply.kind), reply.text);
  }
}

void PipeEngine::Note(NoteKind kind, std::string_view text) {
  if (notes_ != nullptr) notes_->OnNote(kind, text);
}

Answer PipeEngine::Crash(EngineProcess::Wait wait, Clock::time_point deadline) {
  if (wait == EngineProcess::Wait::StopRequested) throw Interrupted();
  if (wait == EngineProcess::Wait::InputClosed) {
    // A closed input is most often an exit on its way: wait a little for it.
    const Clock::time_point soon = DeadlineAfter(Clock::now(), kEndSeconds);
    wait = process_->WaitForExit(std::min(deadline, soon));
    if (wait == EngineProcess::Wait::StopRequested) throw Interrupted();
  }
  const auto& exit = process_->exit();
  if (!exit) return Crash("closed its input (a broken pipe)");
  if (exit->overBudgetBytes) {
    Answer answer = Crash(OverBudgetReason(*exit->overBudgetBytes, *setup_.limits.memoryBytes));
    answer.fault = Ending::Memory;
    return answer;
  }
  const struct Crash crash {
    exit->signalled, exit->code, process_->output(), exit->peakResidentKiB, exit->killedForMemory
  };
  Answer answer = Crash(CrashReason(crash, setup_.limits.memoryBytes));
  answer.fault = CrashEnding(crash, setup_.limits.memoryBytes);
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

void PipeEngine::Drop() { process_.reset(); }

void PipeEngine::Pause() {
  // Play has paused it already, unless it failed before its move.
  if (process_) process_->Pause();
}

void PipeEngine::Resume() {
  // Play resumes it, once its command is written.
}

void PipeEngine::FinishGame(std::optional<Ending> processFault) {
  notes_ = nullptr;
  if (!processFault) return;
  // Whatever state it is in, it starts afresh for its next game.
  faulted_ = processFault;
  Drop();
}

void PipeEngine::Close() {
  if (!process_ || process_->exit()) return;
  process_->Resume();
  // At once or not at all: an engine that does not read is killed anyway.
  Send({CommandLine(CommandKind::End)}, Clock::now());
}

void PipeEngine::AwaitClose(Clock::time_point deadline) {
  if (!process_) return;
  process_->WaitForExit(deadline);
  Drop();
}

}  // namespace fiverow::match
