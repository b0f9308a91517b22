// An engine run once per move by the file protocol (FileProtocol.h): the
// referee writes Plocha.dat and Tah.dat into its folder, runs it, and reads
// its move back from Tah.dat. Nothing of it runs between moves, so there is
// nothing to stop or to end.
#pragma once

#include "players/MakePlayer.h"

namespace fiverow::match {

class FileEngine final : public Contestant {
 public:
  explicit FileEngine(const PlayerSetup& setup) : setup_(setup) {}

  // Its folder is made anew and empty for each game.
  std::optional<Answer> StartGame(const GameStart& start, NoteListener& listener) override;
  Answer Play(const MoveRequest& request) override;

 private:
  PlayerSetup setup_;
};

}  // namespace fiverow::match
