#include "match/MatchSink.h"

namespace fiverow::match {

namespace {

// Every sink's listener to one game.
class AllListeners final : public GameEvents {
 public:
  void Add(std::unique_ptr<GameEvents> events) {
    if (events) listeners_.push_back(std::move(events));
  }
  void OnMove(const Position& position, Move move, Side side, double seconds) override {
    for (const auto& listener : listeners_) listener->OnMove(position, move, side, seconds);
  }
  void OnNote(const EngineNote& note) override {
    for (const auto& listener : listeners_) listener->OnNote(note);
  }

 private:
  std::vector<std::unique_ptr<GameEvents>> listeners_;
};

}  // namespace

void Sinks::MatchStarted() {
  for (MatchSink* sink : sinks_) sink->MatchStarted();
}

std::unique_ptr<GameEvents> Sinks::GameStarted(const GameSetup& setup) {
  auto all = std::make_unique<AllListeners>();
  for (MatchSink* sink : sinks_) all->Add(sink->GameStarted(setup));
  return all;
}

void Sinks::OnLine(const ProtocolLine& line) {
  for (MatchSink* sink : sinks_) sink->OnLine(line);
}

void Sinks::Waiting(int done, int running) {
  for (MatchSink* sink : sinks_) sink->Waiting(done, running);
}

void Sinks::GameEnded(const PlayedGame& played, const Standings& standings) {
  for (MatchSink* sink : sinks_) sink->GameEnded(played, standings);
}

void Sinks::SprtUpdated(const SprtParameters& parameters, const SprtState& state) {
  for (MatchSink* sink : sinks_) sink->SprtUpdated(parameters, state);
}

void Sinks::MatchEnded(const Standings& standings) {
  for (MatchSink* sink : sinks_) sink->MatchEnded(standings);
}

void Sinks::MatchStopped(const Standings& standings) {
  for (MatchSink* sink : sinks_) sink->MatchStopped(standings);
}

}  // namespace fiverow::match
