#include "players/MakePlayer.h"

#include <array>

#include "players/FileEngine.h"
#include "players/HumanPlayer.h"
#include "players/PipeEngine.h"

namespace fiverow::match {

namespace {

template <typename Player>
std::unique_ptr<Contestant> Make(const PlayerSetup& setup) {
  return std::make_unique<Player>(setup);
}

struct PlayerKind {
  Protocol protocol;
  std::unique_ptr<Contestant> (*make)(const PlayerSetup&);
};

constexpr std::array<PlayerKind, 3> kPlayerKinds{{
    {Protocol::File, &Make<FileEngine>},
    {Protocol::Pipe, &Make<PipeEngine>},
    {Protocol::Human, &Make<HumanPlayer>},
}};

}  // namespace

std::unique_ptr<Contestant> MakePlayer(const PlayerSetup& setup) {
  for (const PlayerKind& kind : kPlayerKinds) {
    if (kind.protocol == setup.engine.protocol) return kind.make(setup);
  }
  return Make<FileEngine>(setup);
}

}  // namespace fiverow::match
