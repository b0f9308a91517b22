#include "board/WebGame.h"

#include <algorithm>
#include <iostream>
#include <limits>

#include "board/Json.h"
#include "common/EscapedText.h"
#include "game/Game.h"
#include "output/EventStream.h"
#include "output/GameText.h"
#include "players/MakePlayer.h"
#include "process/RefereeError.h"
#include "process/Workspace.h"

namespace fiverow::board {

namespace {

// The engine's last lines the page is shown.
constexpr std::size_t kNotesKept = 30;

Side SideOfStone(std::size_t index) { return index % 2 == 0 ? Side::X : Side::O; }

// The engine in the referee's reasons: its program's file name.
std::string ShortName(const match::EngineProgram& engine) {
  const std::string& program = engine.argv.empty() ? engine.command : engine.argv.front();
  return tools::ShownText(match::FileNameOf(program));
}

std::string_view PhaseName(int phase) {
  constexpr std::string_view kNames[] = {"thinking", "your-move", "over", "failed"};
  return kNames[phase];
}

}  // namespace

std::optional<std::string> ChoiceProblem(const PlaySetup& setup, const GameChoice& choice) {
  if (choice.engine >= setup.engines.size()) return "there is no such engine";
  const bool file = setup.engines[choice.engine].program.protocol == match::Protocol::File;
  if (file && choice.size != match::kStandardBoardSize)
    return "a file engine plays on 20 x 20 only";
  if (choice.size < match::kSmallestBoardSize || choice.size > match::kLargestBoardSize)
    return "the board is " + std::to_string(match::kSmallestBoardSize) + " to " +
           std::to_string(match::kLargestBoardSize) + " cells a side";
  return std::nullopt;
}

std::optional<std::vector<Move>> TakenBack(const std::vector<Move>& stones, Side person) {
  std::vector<Move> rest = stones;
  while (!rest.empty()) {
    const Side side = SideOfStone(rest.size() - 1);
    rest.pop_back();
    if (side == person) return rest;
  }
  return std::nullopt;
}

// The person as the game loop sees them.
class WebGame::Person final : public match::Contestant {
 public:
  Person(WebGame& game, const match::Contestant*& engine) : game_(game), engine_(engine) {}
  std::optional<match::Answer> StartGame(const match::GameStart&, match::NoteListener&) override {
    return std::nullopt;
  }
  match::Answer Play(const match::MoveRequest&) override {
    return game_.PersonTurn(engine_ != nullptr ? engine_->Name() : "");
  }

 private:
  WebGame& game_;
  const match::Contestant*& engine_;
};

// The moves and the engine's lines, as they come.
class WebGame::Feed final : public match::GameEvents {
 public:
  explicit Feed(WebGame& game) : game_(game) {}
  void OnMove(const match::Position&, Move move, Side, double) override {
    const std::lock_guard lock(game_.mutex_);
    game_.stones_.push_back(move);
    game_.Changed();
  }
  void OnNote(const match::EngineNote& note) override {
    const std::lock_guard lock(game_.mutex_);
    game_.notes_.push_back(
        {note.side, std::string(match::NoteKeyword(note.kind)), tools::EscapeText(note.text)});
    if (game_.notes_.size() > kNotesKept) game_.notes_.pop_front();
    game_.Changed();
  }

 private:
  WebGame& game_;
};

WebGame::WebGame(std::string id, const PlaySetup& setup, const GameChoice& choice)
    : id_(std::move(id)), setup_(setup), choice_(choice) {
  thread_ = std::thread([this] { Run(); });
}

WebGame::~WebGame() {
  Close();
  if (thread_.joinable()) thread_.join();
}

void WebGame::Run() {
  // The engine is started and ended on this thread, which it must not
  // outlive (process/ChildProcess.h), in a folder of this game's.
  std::optional<match::Workspace> workspace;
  std::unique_ptr<match::Contestant> engine;
  const match::Contestant* engineSeen = nullptr;
  GameChoice made;  // what the engine was started for
  Person person(*this, engineSeen);
  Feed feed(*this);
  const auto endEngine = [&] {
    if (!engine) return;
    engine->Close();
    engine->AwaitClose(match::DeadlineAfter(match::Clock::now(), match::kEndSeconds));
    engine.reset();
    engineSeen = nullptr;
  };

  std::unique_lock lock(mutex_);
  bool play = true;
  while (true) {
    changed_.wait(lock, [&] { return closing_ || play || pending_; });
    if (closing_) break;
    if (!play) {
      play = Apply();
      continue;
    }
    play = false;
    const GameChoice choice = choice_;
    match::GameTerms terms;
    terms.boardSize = choice.size;
    terms.rule = choice.rule;
    terms.opening = stones_;
    phase_ = Phase::Thinking;
    result_.reset();
    notes_.clear();
    failure_.clear();
    Changed();
    lock.unlock();

    std::optional<match::GameResult> result;
    std::string failure;
    try {
      if (!workspace) workspace.emplace(std::vector<std::string>{"engine"}, false, std::cerr);
      if (engine &&
          (made.engine != choice.engine || made.rule != choice.rule || made.size != choice.size))
        endEngine();
      const BoardEngine& chosen = setup_.engines[choice.engine];
      if (!engine) {
        engine = match::MakePlayer({"engine", chosen.program, *workspace, setup_.limits, nullptr});
        engineSeen = engine.get();
        made = choice;
      }
      const Side engineSide = match::Opponent(choice.person);
      terms.sides[choice.person] = {"you", &person, match::kUntimed};
      terms.sides[engineSide] = {ShortName(chosen.program), engine.get(), setup_.time};
      result = match::PlayGame(terms, feed);
    } catch (const match::Interrupted&) {
      lock.lock();
      break;
    } catch (const match::RefereeError& error) {
      failure = error.what();
      endEngine();
    }

    lock.lock();
    if (closing_) break;
    if (interrupted_) {
      interrupted_ = false;
      continue;
    }
    if (result) {
      engineName_ = tools::EscapeText(result->names[match::Opponent(choice.person)]);
      result_ = std::move(result);
      phase_ = Phase::Over;
    } else {
      failure_ = failure;
      phase_ = Phase::Failed;
    }
    Changed();
  }
  lock.unlock();
  endEngine();
}

match::Answer WebGame::PersonTurn(const std::string& engineName) {
  std::unique_lock lock(mutex_);
  engineName_ = tools::EscapeText(engineName);
  phase_ = Phase::PersonToMove;
  Changed();
  changed_.wait(lock, [&] { return closing_ || click_ || pending_; });
  if (closing_) throw match::Interrupted();
  match::Answer answer;
  if (click_) {
    answer.move = std::exchange(click_, std::nullopt);
    return answer;
  }
  // The game ends here: by the person's resignation, or it is left for
  // another (a takeback, a new game), which Apply then starts.
  answer.fault = Ending::Resigned;
  answer.reason = "resigned";
  if (pending_->kind == CommandKind::Resign) {
    pending_.reset();
  } else {
    interrupted_ = true;
  }
  return answer;
}

bool WebGame::Apply() {
  const Command command = *std::exchange(pending_, std::nullopt);
  Changed();
  switch (command.kind) {
    case CommandKind::TakeBack:
      if (auto rest = TakenBack(stones_, choice_.person)) {
        stones_ = std::move(*rest);
        return true;
      }
      return false;
    case CommandKind::NewGame:
      choice_ = command.choice;
      stones_.clear();
      return true;
    case CommandKind::Resign: return false;  // the game ended meanwhile
  }
  return false;
}

std::optional<std::string> WebGame::Play(Move cell) {
  const std::lock_guard lock(mutex_);
  if (phase_ != Phase::PersonToMove || click_ || pending_) return "it is not your move";
  if (cell.x < 0 || cell.y < 0 || cell.x >= choice_.size || cell.y >= choice_.size)
    return "that cell is off the board";
  if (std::find(stones_.begin(), stones_.end(), cell) != stones_.end()) return "that cell is taken";
  click_ = cell;
  phase_ = Phase::Thinking;
  Changed();
  return std::nullopt;
}

std::optional<std::string> WebGame::TakeBack() {
  const std::lock_guard lock(mutex_);
  if (pending_) return "the last request is still waiting for the engine's move";
  if (!TakenBack(stones_, choice_.person)) return "you have no move to take back";
  pending_ = Command{CommandKind::TakeBack, {}};
  Changed();
  return std::nullopt;
}

std::optional<std::string> WebGame::Resign() {
  const std::lock_guard lock(mutex_);
  if (phase_ == Phase::Over || phase_ == Phase::Failed) return "the game is over";
  if (pending_) return "the last request is still waiting for the engine's move";
  pending_ = Command{CommandKind::Resign, {}};
  Changed();
  return std::nullopt;
}

std::optional<std::string> WebGame::NewGame(const GameChoice& choice) {
  if (std::optional<std::string> problem = ChoiceProblem(setup_, choice)) return problem;
  const std::lock_guard lock(mutex_);
  if (pending_) return "the last request is still waiting for the engine's move";
  pending_ = Command{CommandKind::NewGame, choice};
  Changed();
  return std::nullopt;
}

void WebGame::Close() {
  const std::lock_guard lock(mutex_);
  closing_ = true;
  CloseFollowers();
}

void WebGame::Follow() {
  const std::lock_guard lock(mutex_);
  ++followers_;
}

void WebGame::Unfollow() {
  const std::lock_guard lock(mutex_);
  if (--followers_ == 0) alone_ = match::Clock::now();
}

void WebGame::Touch() {
  const std::lock_guard lock(mutex_);
  alone_ = match::Clock::now();
}

double WebGame::SecondsAlone() const {
  const std::lock_guard lock(mutex_);
  return followers_ > 0 ? 0.0 : match::SecondsSince(alone_);
}

std::string WebGame::SnapshotJson(std::uint64_t version) const {
  Json notes = Json::array();
  for (const Note& note : notes_)
    notes.push_back({{"side", SideJson(note.side)}, {"kind", note.kind}, {"text", note.text}});
  Json result = nullptr;
  if (result_) {
    result = {{"winner", result_->winner ? SideJson(*result_->winner) : Json(nullptr)},
              {"ending", match::EndingName(result_->ending)},
              {"reason", tools::ShownText(result_->reason)}};
  }
  constexpr std::string_view kCommands[] = {"takeback", "resign", "new-game"};
  const bool canTakeBack = !pending_ && TakenBack(stones_, choice_.person).has_value();
  return JsonText(
      {{"version", version},
       {"id", id_},
       {"engine", choice_.engine},
       {"engineName", engineName_},
       {"you", SideJson(choice_.person)},
       {"rule", match::RuleName(choice_.rule)},
       {"size", choice_.size},
       {"stones", CellsJson(stones_)},
       {"phase", PhaseName(static_cast<int>(phase_))},
       {"result", std::move(result)},
       {"notes", std::move(notes)},
       {"failure", tools::ShownText(failure_)},
       {"canTakeBack", canTakeBack},
       {"pending", pending_ ? Json(kCommands[static_cast<int>(pending_->kind)]) : Json(nullptr)}});
}

}  // namespace fiverow::board
