// Makes the player an engine description names: the one place that knows
// every kind of player.
#pragma once

#include <memory>
#include <string>

#include "game/Contestant.h"
#include "players/EngineLimits.h"
#include "players/EngineSpec.h"
#include "process/Workspace.h"

namespace fiverow::match {

struct PlayerSetup {
  std::string label;  // names it to people, and names its folder
  const EngineSpec& engine;
  const Workspace& workspace;
  EngineLimits limits;
};

std::unique_ptr<Contestant> MakePlayer(const PlayerSetup& setup);

}  // namespace fiverow::match
