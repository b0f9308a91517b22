// The folder that --record writes to: game-001.txt, game-002.txt, ...,
// numbered on after the records already there, and never written over.
#pragma once

#include <string>

#include "common/UniqueFd.h"
#include "match/Record.h"

namespace fiverow::match {

class RecordFolder {
 public:
  // Opens the folder, creating it if needed, checks that records can be
  // written into it, and finds the highest record number there. Throws
  // RefereeError with the system's reason, or when `games` more records
  // would run past the highest number.
  RecordFolder(const std::string& path, int games);

  // The file name of the match's `game`-th record.
  std::string NameOf(int game) const;
  // Writes it as a new file. Throws RefereeError.
  void Write(int game, const GameRecord& record) const;

 private:
  std::string path_;
  tools::UniqueFd folder_;
  long last_ = 0;  // the highest number there before the match
};

}  // namespace fiverow::match
