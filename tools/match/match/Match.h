// A match: its engines, its games, and the loop that plays them.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/Rules.h"
#include "game/TimeControl.h"
#include "match/GameShare.h"
#include "match/MatchSink.h"
#include "match/OpeningSchedule.h"
#include "match/Schedule.h"
#include "players/EngineLimits.h"
#include "players/EngineProgram.h"

namespace fiverow::match {

// An engine's letter, by its place among the engines given: A, B, ..., Z,
// AA, AB, ...; and back.
std::string EngineLabel(EngineIndex engine);
std::optional<EngineIndex> EngineNamed(std::string_view label);

struct MatchEngine {
  std::string label;  // "A", "B"
  EngineProgram program;
  EngineLimits limits;
  TimeControl time;
};

struct MatchPlan {
  std::vector<MatchEngine> engines;  // A, B, C, ...
  Pairing pairing;                   // who plays whom, how often
  int games = 1;                     // in all
  GameShare share;                   // the games played here
  int concurrency = 1;               // games played at once
  bool pin = false;                  // each game held to one CPU (CpuPin.h)
  int boardSize = kStandardBoardSize;
  Rule rule = Rule::Freestyle;
  bool keep = false;             // the engines' folders stay after the match
  std::optional<int> drawAfter;  // a game is drawn once this many moves are on the board
  std::optional<SprtParameters> sprt;
};

// Adds a game to `standings` and tells `sinks`, games coming in game order;
// after each pair of games of the whole match, tests the SPRT: whether it
// has decided.
bool ReportGame(const MatchPlan& plan, const PlayedGame& played, Standings& standings,
                MatchSink& sinks);

// Plays the plan's games (those of its share), each with folders and players of its own, telling
// `sinks` as it goes, until every game is played or the SPRT decides (a share of the games leaves
// the test to their merge). Throws RefereeError when the referee itself fails, Interrupted when it
// is told to stop (then the sinks are told MatchStopped); every engine is killed and every folder
// removed (unless kept) first. Notices for people (where kept folders are) go to `err`.
void RunMatch(const MatchPlan& plan, OpeningSchedule openings, MatchSink& sinks, std::ostream& err);

}  // namespace fiverow::match
