// What a match tells those who show or keep it (output/): each a sink that
// takes the events it cares about, so that a new format is one more sink.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "game/GameEvents.h"
#include "match/Standings.h"
#include "stats/Rating.h"

namespace fiverow::match {

// A line sent to an engine or received from it.
struct ProtocolLine {
  int game;  // the game it belongs to
  std::string_view label;
  bool sent;  // to the engine, else from it
  std::string_view text;
};

class MatchSink {
 public:
  virtual ~MatchSink() = default;

  // The match is ready to play its first game.
  virtual void MatchStarted() {}
  // A game starts, on the thread that plays it (several at once with
  // --concurrency): the sink's listener to the game as it is played, or none.
  virtual std::unique_ptr<GameEvents> GameStarted(const GameSetup& /*setup*/) { return nullptr; }
  // A line to or from an engine, on the thread that plays its game, as it
  // goes.
  virtual void OnLine(const ProtocolLine& /*line*/) {}
  // The rest comes on the match's own thread, in game order.
  // Games are being played at once: how many are reported and running.
  virtual void Waiting(int /*done*/, int /*running*/) {}
  virtual void GameEnded(const PlayedGame& /*played*/, const Standings& /*standings*/) {}
  // After each pair of games, with an SPRT.
  virtual void SprtUpdated(const SprtParameters& /*parameters*/, const SprtState& /*state*/) {}
  virtual void MatchEnded(const Standings& /*standings*/) {}
  // The referee was told to stop (Ctrl-C, a closed console, a signal), once
  // every engine has ended: the games reported so far.
  virtual void MatchStopped(const Standings& /*standings*/) {}
};

// Every sink, told in turn.
class Sinks final : public MatchSink {
 public:
  void Add(MatchSink& sink) { sinks_.push_back(&sink); }

  void MatchStarted() override;
  std::unique_ptr<GameEvents> GameStarted(const GameSetup& setup) override;
  void OnLine(const ProtocolLine& line) override;
  void Waiting(int done, int running) override;
  void GameEnded(const PlayedGame& played, const Standings& standings) override;
  void SprtUpdated(const SprtParameters& parameters, const SprtState& state) override;
  void MatchEnded(const Standings& standings) override;
  void MatchStopped(const Standings& standings) override;

 private:
  std::vector<MatchSink*> sinks_;
};

}  // namespace fiverow::match
