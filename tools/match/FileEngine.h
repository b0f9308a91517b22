// An engine run once per move by the file protocol: the referee writes
// Plocha.dat and Tah.dat into its folder, runs it, and reads its move back
// from Tah.dat (Workspace.h, EngineProcess.h). Nothing of it runs between
// moves, so there is nothing to stop or to end.
#pragma once

#include "match/Contestant.h"

namespace fiverow::match {

class FileEngine final : public Contestant {
 public:
  FileEngine(const Engine& engine, Player player, const Workspace& workspace,
             const GameLimits& limits)
      : engine_(engine), player_(player), workspace_(workspace), limits_(limits) {}

  std::optional<Answer> StartGame() override { return std::nullopt; }
  Answer Play(const MoveRequest& request) override;

 private:
  const Engine& engine_;
  Player player_;
  const Workspace& workspace_;
  const GameLimits& limits_;
};

}  // namespace fiverow::match
