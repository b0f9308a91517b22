// Pages following a game or a match: each its own stream of server-sent
// events, at most 32 at once so that requests always find a server thread.
#pragma once

#include <httplib.h>

#include <atomic>
#include <functional>
#include <memory>

#include "board/Followed.h"

namespace fiverow::board {

class Streams {
 public:
  // Streams `followed` to the page: its snapshot now and after each change,
  // a comment line while nothing changes; `closed` runs when the page has
  // gone. False, with a 503 answer, when too many pages follow already.
  bool Open(
      httplib::Response& response, std::shared_ptr<Followed> followed,
      std::function<void()> closed = [] {});

 private:
  std::atomic<int> open_{0};
};

}  // namespace fiverow::board
