// A person at the terminal. Before each of its moves it is shown the board,
// with coordinates and the last move marked, on standard output, and asked
// for x,y on standard input, a terminal or not, so that a script can play
// too. Bad input is refused with the reason and asked for again; "quit", or
// the end of the input, resigns. Its time is limited only by the limits
// given on the command line. A person plays one game at a time.
#pragma once

#include "players/MakePlayer.h"

namespace fiverow::match {

class HumanPlayer final : public Contestant {
 public:
  explicit HumanPlayer(const PlayerSetup& setup) : label_(setup.label) {}

  std::optional<Answer> StartGame(const GameStart&, NoteListener&) override { return std::nullopt; }
  Answer Play(const MoveRequest& request) override;

 private:
  std::string label_;
};

}  // namespace fiverow::match
