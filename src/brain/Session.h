// One game session with a manager: each command line in, at most one reply
// line out. The brain's board lives here; the move comes from the core.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "brain/BrainBoard.h"
#include "brain/Command.h"

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
  // The lines after BOARD, up to DONE: read as stones, or skipped after the
  // block was refused (its one reply, ERROR, then already sent).
  enum class Block : unsigned char { None, Reading, Skipping };

  Step HandleCommand(std::string_view line, bool cut);
  Step HandleBlockLine(std::string_view line, bool cut);
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
