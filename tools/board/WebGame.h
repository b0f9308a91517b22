// The games of one browser tab: a person, whose moves are the cells they
// click, against one of the engines named on the command line, refereed by
// the same game loop as fiverow-match (game/Game.h) with the same players
// (players/MakePlayer.h), limits and folders. Each tab's games run on a
// thread of their own, where the engine is started and ended; its process
// lives from one game to the next while the engine, the rule and the size
// stay the same.
//
// A takeback plays the position without the last moves as a new game from
// that opening: the engine is told to start again (a pipe engine gets BOARD
// with the stones at its next move).
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "board/Followed.h"
#include "game/Contestant.h"
#include "game/GameResult.h"
#include "game/TimeControl.h"
#include "players/EngineLimits.h"
#include "players/EngineProgram.h"
#include "process/Deadline.h"

namespace fiverow::board {

using match::Ending;
using match::Rule;
using match::Side;

struct BoardEngine {
  match::EngineProgram program;
  bool fiverow = false;  // fiverow or pbrain-fiverow, whose view the page can show
};

struct PlaySetup {
  std::vector<BoardEngine> engines;
  match::EngineLimits limits;
  match::TimeControl time;  // the engine's; the rule and the size are each game's own
};

// What the page asks to play.
struct GameChoice {
  std::size_t engine = 0;  // an index into PlaySetup::engines
  Side person = Side::X;
  Rule rule = Rule::Freestyle;
  int size = match::kStandardBoardSize;
};

// Why `choice` cannot be played with `setup`'s engines, or nothing.
std::optional<std::string> ChoiceProblem(const PlaySetup& setup, const GameChoice& choice);

// The stones left when the person takes back their last move: the moves
// after it and that move itself. Nothing when they have no move to take.
std::optional<std::vector<Move>> TakenBack(const std::vector<Move>& stones, Side person);

class WebGame final : public Followed {
 public:
  // Starts the first game at once.
  WebGame(std::string id, const PlaySetup& setup, const GameChoice& choice);
  // Close(), then waits for the thread: the engine is ended, its folder removed.
  ~WebGame() override;
  WebGame(const WebGame&) = delete;
  WebGame& operator=(const WebGame&) = delete;

  const std::string& id() const { return id_; }

  // The page's requests: nothing when taken, else why not, for people. A
  // takeback, a resignation or a new game asked for while the engine thinks
  // waits for its move.
  std::optional<std::string> Play(Move cell);
  std::optional<std::string> TakeBack();
  std::optional<std::string> Resign();
  std::optional<std::string> NewGame(const GameChoice& choice);

  // Ends the games: the person's turn ends at once, an engine's move is
  // waited for.
  void Close();

  // A page follows it while one of these is open, and asks after it now
  // and then while it is hidden (Touch).
  void Follow();
  void Unfollow();
  void Touch();
  // How long no page has followed it or asked after it; 0 while one follows.
  double SecondsAlone() const;

 private:
  enum class Phase { Thinking, PersonToMove, Over, Failed };
  enum class CommandKind { TakeBack, Resign, NewGame };
  struct Command {
    CommandKind kind;
    GameChoice choice;
  };
  struct Note {
    Side side;
    std::string kind;
    std::string text;
  };
  class Person;
  class Feed;

  void Run();
  // The person's turn, on the game's thread: the clicked cell, or the end
  // of the game.
  match::Answer PersonTurn(const std::string& engineName);
  // With mutex_ held: carries out the pending command; whether a game is to
  // be played.
  bool Apply();
  std::string SnapshotJson(std::uint64_t version) const override;

  const std::string id_;
  const PlaySetup& setup_;
  // Guarded by mutex_:
  GameChoice choice_;
  std::vector<Move> stones_;  // of the game, x first, opening included
  Phase phase_ = Phase::Thinking;
  std::optional<match::GameResult> result_;
  std::string engineName_;  // what it calls itself
  std::deque<Note> notes_;  // the engine's last lines
  std::string failure_;     // why the game cannot go on
  std::optional<Move> click_;
  std::optional<Command> pending_;
  bool interrupted_ = false;  // the game was left for a takeback or a new game
  bool closing_ = false;
  int followers_ = 0;
  match::Clock::time_point alone_ = match::Clock::now();

  std::thread thread_;
};

}  // namespace fiverow::board
