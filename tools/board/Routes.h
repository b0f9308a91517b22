// The board's routes, grouped by what they serve; RunBoard adds the groups
// its mode needs. Every route is behind the guard (Guard.h).
#pragma once

#include <httplib.h>

#include <memory>
#include <string>

#include "board/BoardOptions.h"
#include "board/GameTable.h"
#include "board/MatchWatch.h"
#include "board/Streams.h"

namespace fiverow::board {

// The page's files, its own address in each link, and the page's choices
// (/api/config): the engines to play, or the match or game shown.
void AddPageRoutes(httplib::Server& server, const std::string& token, const BoardOptions& options,
                   const PlaySetup& setup);

// Games against the engines: /api/games and each game's moves and updates.
void AddPlayRoutes(httplib::Server& server, GameTable& table, Streams& streams);

// fiverow's view of a position (/api/analysis), in every mode.
void AddAnalysisRoutes(httplib::Server& server);

// A match as its events file grows: /api/watch and its updates.
void AddWatchRoutes(httplib::Server& server, const std::shared_ptr<MatchWatch>& watch,
                    Streams& streams);

// A recorded game, as JSON text: /api/replay.
void AddReplayRoutes(httplib::Server& server, std::string game);

}  // namespace fiverow::board
