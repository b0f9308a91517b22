// One game session with a manager: each command line in, at most one reply
// line out. The brain's board lives here; the move comes from the core.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "brain/BrainBoard.h"
#include "protocol/Commands.h"

namespace fiverow::brain {

class Session {
 public:
  Session();
  ~Session();

  struct Step {
    bool end = false;   // END: stop at once, writing nothing more
    std::string reply;  // without its line end; empty when there is none
  };

  // Handles one input line; `cut` when the reader kept only its start.
  Step Handle(std::string_view line, bool cut);

 private:
  using Command = protocol::Command;

  // How each command is handled: whether it needs a started game, whether it
  // is handled even when its line was cut or its arguments are malformed,
  // and by what.
  struct Handling {
    protocol::CommandKind kind;
    bool needsGame;
    bool anyLine;
    Step (Session::*handle)(const Command&);
  };
  static const std::array<Handling, protocol::kCommands.size()> kHandlings;

  // The lines after BOARD, up to DONE: read as stones, or skipped after the
  // block was refused (its one reply, ERROR, then already sent).
  enum class Block : unsigned char { None, Reading, Skipping };

  Step HandleCommand(std::string_view line, bool cut);
  Step HandleBlockLine(std::string_view line, bool cut);

  Step Start(const Command& command);
  Step Restart(const Command& command);
  Step Begin(const Command& command);
  Step Turn(const Command& command);
  Step Play(const Command& command);
  Step Takeback(const Command& command);
  Step Board(const Command& command);
  Step DoneWithoutBoard(const Command& command);
  Step Ignore(const Command& command);
  Step End(const Command& command);
  Step About(const Command& command);
  Step Swap2Board(const Command& command);

  std::string PlaceStone(const Command& command, CellCode code);
  std::string RefuseBlock(std::string_view reason);
  std::string MoveReply();

  bool started_ = false;
  Block block_ = Block::None;
  BrainBoard board_;
  BrainBoard pending_;  // the position a BOARD block builds
  std::unique_ptr<RunState> state_;
};

}  // namespace fiverow::brain
