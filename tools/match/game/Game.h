// Plays one game between two players and judges it.
#pragma once

#include <optional>
#include <string>

#include "game/Contestant.h"
#include "game/GameEvents.h"
#include "game/GameResult.h"
#include "game/TimeControl.h"

namespace fiverow::match {

struct SideSetup {
  std::string label;  // names the player in the result, e.g. "A"
  Contestant* player = nullptr;
  TimeControl time;
};

struct GameTerms {
  int boardSize = kStandardBoardSize;
  Rule rule = Rule::Freestyle;
  Opening opening;
  PerSide<SideSetup> sides;
  std::optional<int> drawAfter;  // stones on the board, the opening's included
};

// Plays from the opening until a win, a full board, a fault or a
// resignation, and tells the players the game is over. Each player learns
// the board's size and the rule at its first turn (GameStart). Each player is
// started for the game at its first turn, so that every fault falls on the
// side to move. Throws RefereeError or Interrupted; the players' owner then
// kills them. Games may be played on several threads at once, each with
// players of its own, once CatchStopSignals has run.
GameResult PlayGame(const GameTerms& terms, GameEvents& events);

}  // namespace fiverow::match
