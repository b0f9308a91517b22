// The folder that --record writes to: game-001.txt, game-002.txt, ...,
// numbered on after the records already there, and never written over. A
// sink: each game's record is written as the game is reported.
#pragma once

#include <string>

#include "common/UniqueFd.h"
#include "match/MatchSink.h"
#include "output/Record.h"

namespace fiverow::match {

class RecordFolder final : public MatchSink {
 public:
  // Opens the folder, creating it if needed, checks that records can be
  // written into it, and finds the highest record number there. Throws
  // RefereeError with the system's reason, or when `games` more records
  // would run past the highest number.
  RecordFolder(const std::string& path, int games, const std::vector<MatchEngine>& engines);

  // The file name of the match's `game`-th record.
  std::string NameOf(int game) const;
  // Writes it as a new file. Throws RefereeError.
  void Write(int game, const GameRecord& record) const;

  void GameEnded(const PlayedGame& played, const Standings& standings) override;

 private:
  std::string path_;
  const std::vector<MatchEngine>& engines_;
  tools::UniqueFd folder_;
  long last_ = 0;  // the highest number there before the match
};

}  // namespace fiverow::match
