// The file that --sgf appends to: each game as an SGF game tree (Sgf.h),
// written as the game is reported, so in game order. A sink.
#pragma once

#include <string>
#include <vector>

#include "common/UniqueFd.h"
#include "match/Match.h"
#include "match/MatchSink.h"

namespace fiverow::match {

class SgfFile final : public MatchSink {
 public:
  // Opens the file to append to, creating it if needed; what it holds stays.
  // Throws RefereeError with the system's reason when it cannot be written.
  SgfFile(const std::string& path, const std::vector<MatchEngine>& engines);

  void GameEnded(const PlayedGame& played, const Standings& standings) override;

 private:
  std::string path_;
  const std::vector<MatchEngine>& engines_;
  tools::UniqueFd file_;
};

// What a game tree calls an engine: its name, if it said one (ABOUT), else
// its label and command, e.g. "A: ./my-engine".
std::string SgfPlayerName(const MatchEngine& engine, const std::string& name);

}  // namespace fiverow::match
