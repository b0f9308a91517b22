// What people see of a match on standard output, as --show asks: the
// engines, each game's moves and ending, the SPRT's progress and the
// summary; and, on a terminal, a progress line on standard error that is
// cleared before anything else is written.
#pragma once

#include <iosfwd>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "common/NameTable.h"
#include "match/Match.h"
#include "match/MatchSink.h"

namespace fiverow::match {

enum class Show { Each, End, None };

inline constexpr tools::NameTable<Show, 3> kShowNames{{{
    {Show::Each, "each"},
    {Show::End, "end"},
    {Show::None, "none"},
}}};

struct TerminalSettings {
  Show show = Show::Each;
  bool colour = false;    // terminal colours on the boards
  bool progress = false;  // the progress line on standard error
  // Games played one at a time are shown as they are played; games played at
  // once are held back and shown whole, in game order.
  bool live = true;
  std::string openings;  // a line about the openings, e.g. "random openings, seed 1"
};

class TerminalView final : public MatchSink {
 public:
  TerminalView(const MatchPlan& plan, TerminalSettings settings, std::ostream& out,
               std::ostream& err);

  void MatchStarted() override;
  std::unique_ptr<GameEvents> GameStarted(const GameSetup& setup) override;
  void Waiting(int done, int running) override;
  void GameEnded(const PlayedGame& played, const Standings& standings) override;
  void SprtUpdated(const SprtParameters& parameters, const SprtState& state) override;
  void MatchEnded(const Standings& standings) override;
  // The summary of the games played, if any.
  void MatchStopped(const Standings& standings) override;

 private:
  class GameView;

  // Writes to standard output, clearing the progress line first.
  void Write(const std::string& text);
  void ShowProgress(const std::string& state);
  void ClearProgress();

  const MatchPlan& plan_;
  TerminalSettings settings_;
  std::ostream& out_;
  std::ostream& err_;
  bool progressShown_ = false;
  std::string score_;  // "(A 3, B 2, draws 1)"
  std::optional<SprtState> sprt_;
  std::mutex heldMutex_;
  std::map<int, std::string> held_;  // by game: what games played at once showed
};

}  // namespace fiverow::match
