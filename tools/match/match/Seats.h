// The players of one worker: each engine's player is made for the first
// game the worker plays of that engine and kept for the games after it, so
// that a pipe engine's process lives for the match (a person's too).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "match/Match.h"
#include "match/MatchSink.h"
#include "players/MakePlayer.h"

namespace fiverow::match {

class Seats {
 public:
  Seats(const MatchPlan& plan, const Workspace& workspace, MatchSink& sinks);
  // Kills every player still running.
  ~Seats();
  Seats(const Seats&) = delete;
  Seats& operator=(const Seats&) = delete;

  // The players of `setup`'s engines for that game, made or kept; the players
  // of other engines are closed.
  PerSide<Contestant*> For(const GameSetup& setup);
  // Tells every player the match is over ...
  void CloseAll();
  // ... and waits for them until `deadline`, killing what is left.
  void AwaitAll(Clock::time_point deadline);
  // How many times each engine's player was started afresh after a fault;
  // complete once AwaitAll has run.
  const std::vector<RestartCounts>& Restarts() const { return restarts_; }

 private:
  // Tells the sinks each line with the game it belongs to.
  struct Lines final : LineListener {
    MatchSink* sinks = nullptr;
    const std::string* label = nullptr;
    const int* game = nullptr;
    void OnLine(bool sent, std::string_view line) override {
      sinks->OnLine({*game, *label, sent, line});
    }
  };
  // Closes the players of `engines`, giving them a second together to end.
  void Close(std::vector<EngineIndex> engines);
  void Forget(EngineIndex engine);

  const MatchPlan& plan_;
  const Workspace& workspace_;
  std::vector<std::unique_ptr<Contestant>> players_;  // by engine
  std::vector<Lines> lines_;                          // by engine
  std::vector<RestartCounts> restarts_;               // of players closed already
  int game_ = 0;                                      // the game being played
};

}  // namespace fiverow::match
