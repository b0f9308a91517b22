// --events FILE: the match as it happens, one JSON object a line, each
// written through as it comes, so that a reader (fiverow-board --watch) can
// follow a match still being played:
//
//   {"event":"match-started","engines":[{"label":"A","command":"./new","protocol":"file"},...],
//    "games":200,"size":20,"rule":"freestyle","sprt":{"elo0":0,"elo1":10,"alpha":0.05,"beta":0.05}}
//   {"event":"game-started","game":1,"x":0,"o":1,"opening":[[9,9],[10,10]]}
//   {"event":"move","game":1,"side":"x","move":[11,9],"seconds":0.0021}
//   {"event":"note","game":1,"side":"o","kind":"MESSAGE","text":"depth 4"}
//   {"event":"game-ended","game":1,"x":0,"o":1,"winner":"x","ending":"five","reason":"...",
//    "moves":31,"names":["fiverow",""],"standings":{...}}
//   {"event":"sprt","games":2,"llr":0.29,"lower":-2.94,"upper":2.94,"decision":"continue"}
//   {"event":"match-ended","standings":{...}}
//
// Engines are numbered from 0 in the order of "match-started". "sprt" is
// null without an SPRT; "winner" is null for a draw. The standings carry
// every engine's figures ("engines", in that order) and the crosstable
// ("points" and "games", row engine against column engine), so that they
// serve a match of any number of engines; "tally" and "elo" are A's against
// B. A number that is infinite is written "inf" or "-inf". What engines
// say (notes, names) is escaped as in the records (EscapeText), commands
// and reasons as shown to people (ShownText).
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "match/Match.h"
#include "match/MatchSink.h"

namespace fiverow::match {

// "five", "board-full", "resigned", "bad-text", "occupied", "forbidden",
// "time-out", "exit-status", "signal", "folder".
std::string_view EndingName(Ending ending);

class EventStream final : public MatchSink {
 public:
  // Creates the file anew. Throws RefereeError.
  EventStream(const std::string& path, const MatchPlan& plan);
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
  std::FILE* file_ = nullptr;
  std::mutex mutex_;
  int error_ = 0;  // of the first write that failed
  int games_ = 0;  // reported so far
};

}  // namespace fiverow::match
