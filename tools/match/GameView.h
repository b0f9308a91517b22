// What the referee shows of a match as it goes: each game's moves and ending
// on a stream, and the progress line on the terminal.
#pragma once

#include <iosfwd>
#include <optional>
#include <vector>

#include "match/MatchOptions.h"
#include "match/Referee.h"
#include "match/Summary.h"

namespace fiverow::match {

// The line on standard error that tells how far a match of several games
// has come, when it is `shown` (on a terminal). Used by one thread.
class ProgressLine {
 public:
  ProgressLine(bool shown, int games, const PerPlayer<EngineStats>& score, std::ostream& err);
  // One game at a time: the game being played and its moves so far.
  void ShowMove(int game, int moves);
  // Several at once: the games reported and those being played.
  void ShowGames(int done, int running);
  void Clear();

 private:
  void Show(const std::string& state);

  int games_;
  const PerPlayer<EngineStats>& score_;
  std::ostream& err_;
  bool shown_;
};

// Shows one game on a stream as --show asks (the opening, each move, the
// final board, the engines' MESSAGE and DEBUG lines with each move), then its
// result line, and keeps its engines' run times.
// With a progress line, the game is shown live on the terminal.
class GameView final : public GameObserver {
 public:
  GameView(Show show, bool colour, int games, const PerPlayer<Engine>& engines, std::ostream& out,
           ProgressLine* progress);

  void Start(int game, const Position& start);
  void OnMove(const Position& position, Move move, Side side, Player player,
              double seconds) override;
  void OnEngineRun(Player player, double seconds) override;
  void OnEngineNote(Player player, const EngineNote& note) override;
  void End(const GameSetup& setup, const GameResult& result);

  PerPlayer<std::vector<double>>& moveSeconds() { return moveSeconds_; }

 private:
  Show show_;
  bool colour_;
  int games_;
  const PerPlayer<Engine>& engines_;
  std::ostream& out_;
  ProgressLine* progress_;
  int game_ = 0;
  int moves_ = 0;
  Position last_;
  std::optional<Move> lastMove_;
  PerPlayer<std::vector<double>> moveSeconds_;
};

// An engine's MESSAGE or DEBUG line as it is shown: "  x (A) MESSAGE text",
// without the label when it is empty.
std::string NoteLine(const EngineNote& note, const std::string& label);

// A failed write to standard output ends the match (RefereeError, or
// Interrupted when a stop signal broke the write).
void CheckOutput(std::ostream& out);

}  // namespace fiverow::match
