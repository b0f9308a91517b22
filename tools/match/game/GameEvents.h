// What happens in a game, told as it happens, on the thread that plays it.
#pragma once

#include "game/GameResult.h"
#include "game/Position.h"

namespace fiverow::match {

class GameEvents {
 public:
  virtual ~GameEvents() = default;
  // A legal move was played; `position` holds it.
  virtual void OnMove(const Position& /*position*/, Move /*move*/, Side /*side*/,
                      double /*seconds*/) {}
  // A MESSAGE or DEBUG line an engine sent, as the record keeps it.
  virtual void OnNote(const EngineNote& /*note*/) {}
};

}  // namespace fiverow::match
