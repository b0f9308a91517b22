// --events FILE: the match as it happens, one JSON object a line, each
// written through as it comes, so that a reader (fiverow-board --watch, a
// merge of shards) can follow a match still being played or rebuild its
// summary from the file alone. The events and their fields are described in
// MatchEvents.h and docs/fiverow-board.md:
//
//   match-started  everything that decides the games, its digest "id" and a
//                  "run" of its own, so that a file written anew is known
//   game-started   game, x, o, opening
//   move, note     as the game is played
//   game-ended     the game whole (round, opening, line, seconds, ending,
//                  reason, names) and the standings after it, in game order
//   sprt           after each pair of games, with an SPRT
//   match-ended    the games reported and the final standings
//
// Engines are numbered from 0 in the order of "match-started". A number that
// is infinite is written "inf" or "-inf". What engines say (notes, names) is
// escaped as in the records (EscapeText), commands and reasons as shown to
// people (ShownText).
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "game/OpeningNotation.h"
#include "match/Match.h"
#include "match/MatchSink.h"
#include "match/OpeningSchedule.h"

namespace fiverow::match {

// "five", "board-full", "resigned", "bad-text", "occupied", "forbidden",
// "time-out", "exit-status", "signal", "folder".
std::string_view EndingName(Ending ending);

// Where a match's openings come from, as "match-started" describes them.
struct OpeningsSource {
  enum class Kind : std::uint8_t { Fixed, Random, File };
  Kind kind = Kind::Fixed;
  Opening opening;  // Fixed
  // File: as given, how it is read, and what was read from it.
  std::string file;
  OpeningFormat format = OpeningFormat::Offset;
  OpeningOrder order = OpeningOrder::Sequential;
  std::size_t count = 0;
  std::string digest;  // OpeningsDigest of the openings read
  bool symmetries = false;
  std::uint64_t seed = 1;
};

// A digest of a list of openings, the same for the same openings in the same
// order however the file wrote them.
std::string OpeningsDigest(const std::vector<Opening>& openings);

class EventStream final : public MatchSink {
 public:
  // Creates the file anew. Throws RefereeError.
  EventStream(const std::string& path, const MatchPlan& plan, OpeningsSource openings = {});
  ~EventStream() override;
  EventStream(const EventStream&) = delete;
  EventStream& operator=(const EventStream&) = delete;

  void MatchStarted() override;
  std::unique_ptr<GameEvents> GameStarted(const GameSetup& setup) override;
  void GameEnded(const PlayedGame& played, const Standings& standings) override;
  void SprtUpdated(const SprtParameters& parameters, const SprtState& state) override;
  void MatchEnded(const Standings& standings) override;

  // One event, a JSON object without its line end; from any thread.
  void Write(const std::string& line);

 private:
  // Throws RefereeError once a write has failed.
  void Check();

  std::string path_;
  const MatchPlan& plan_;
  OpeningsSource openings_;
  std::FILE* file_ = nullptr;
  std::mutex mutex_;
  int error_ = 0;  // of the first write that failed
  int games_ = 0;  // reported so far
};

}  // namespace fiverow::match
