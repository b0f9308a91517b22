// The games of every tab, by the random id that names each in its page's
// address, so that a reload finds its game again. Their number is bounded:
// a game no page has followed for a while is ended, its engine with it.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "board/WebGame.h"

namespace fiverow::board {

// At most this many games at once, each with its engine.
inline constexpr std::size_t kMostGames = 16;
// A game no page has followed for this long is ended.
inline constexpr double kAbandonedSeconds = 600;
// When the table is full, a game alone for this long gives way to a new one.
inline constexpr double kGiveWaySeconds = 120;

class GameTable {
 public:
  explicit GameTable(const PlaySetup& setup);
  // CloseAll().
  ~GameTable();
  GameTable(const GameTable&) = delete;
  GameTable& operator=(const GameTable&) = delete;

  // A new game, or nothing and why not (a choice that cannot be played, no
  // room). Throws RefereeError when no id can be made.
  std::shared_ptr<WebGame> Create(const GameChoice& choice, std::string& problem);
  std::shared_ptr<WebGame> Find(const std::string& id) const;

  // Ends every game and waits for them: their engines are ended and their
  // folders removed.
  void CloseAll();

 private:
  // Ends the games alone longer than `seconds` (all of them that are,
  // or only the one alone longest); takes them out of the table.
  void EndAlone(double seconds, bool all);
  void Sweep();

  const PlaySetup& setup_;
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<WebGame>> games_;
  bool closed_ = false;
  std::condition_variable closing_;
  std::thread sweeper_;
};

}  // namespace fiverow::board
