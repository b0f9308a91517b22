// Makes the player an engine description names: the one place that knows
// every kind of player.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "game/Contestant.h"
#include "players/EngineLimits.h"
#include "players/EngineProgram.h"
#include "process/Workspace.h"

namespace fiverow::match {

// Told every line an engine is sent and sends, as it goes.
class LineListener {
 public:
  virtual void OnLine(bool sent, std::string_view line) = 0;

 protected:
  ~LineListener() = default;
};

struct PlayerSetup {
  std::string label;  // names it to people, and names its folder
  const EngineProgram& engine;
  const Workspace& workspace;
  EngineLimits limits;
  LineListener* lines = nullptr;
};

std::unique_ptr<Contestant> MakePlayer(const PlayerSetup& setup);

}  // namespace fiverow::match
