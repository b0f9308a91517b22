// The board's front door. It owns the listening socket and reads the head of
// each request (its request line and headers) itself, on one thread, within
// bounds that hold before the token is checked: a head of at most 32 KiB and
// 100 lines, whole within 5 s of the connection (a deadline no byte renews),
// at most 64 connections from one address. Only whole heads reach a server
// thread, so that a slow or endless head holds no thread and no memory.
#pragma once

#include <chrono>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <string>

#include "board/Sockets.h"

namespace fiverow::board {

using FrontClock = std::chrono::steady_clock;

// A connection whose request head has come whole.
struct Arrival {
  Socket socket = kNoSocket;
  std::string address;  // the peer's
  std::string bytes;    // what was read: the head, perhaps the start of the body
  std::size_t headSize = 0;
  FrontClock::time_point deadline;  // for the whole request
};

// Where a head ends in `bytes` (after its empty line), or 0 while it goes on;
// `lines` counts the lines seen, `scanned` how far the search went.
std::size_t HeadEnd(std::string_view bytes, std::size_t& scanned, std::size_t& lines);

class Front {
 public:
  static constexpr std::size_t kLargestHead = 32 * 1024;
  static constexpr std::size_t kMostHeadLines = 100;
  static constexpr auto kRequestTime = std::chrono::seconds(5);
  static constexpr int kMostPerAddress = 64;
  static constexpr std::size_t kMostWaiting = 256;  // heads being read, from any address

  // Listens on `address` (numeric, IPv4 or IPv6) and `port`, any free one for
  // 0. Throws RefereeError when it cannot.
  Front(const std::string& address, int port);
  ~Front();
  Front(const Front&) = delete;
  Front& operator=(const Front&) = delete;

  int port() const { return port_; }
  Socket listening() const { return listening_; }

  // Accepts connections and reads their heads until Stop(); a whole one goes
  // to `take`, which owns it until Done(). Returns false when the listening
  // socket failed.
  bool Run(const std::function<void(Arrival)>& take);
  // From any thread: Run() returns soon; the heads being read are dropped.
  void Stop();
  // Closes an arrival's connection, making room for its address.
  void Done(Arrival& arrival);

 private:
  struct Waiting {
    Socket socket;
    std::string address;
    FrontClock::time_point deadline;
    std::string bytes;
    std::size_t scanned = 0;
    std::size_t lines = 0;
  };
  using WaitingList = std::list<Waiting>;

  void Accept();
  // Reads what came: a whole head goes to `take`, a bad one is refused.
  void Read(WaitingList::iterator waiting, const std::function<void(Arrival)>& take);
  void Drop(WaitingList::iterator waiting);
  void Forget(const std::string& address);

  Socket listening_ = kNoSocket;
  Wakeup stop_;
  int port_ = 0;
  WaitingList waiting_;  // oldest first
  std::mutex mutex_;
  std::map<std::string, int> open_;  // connections from each address, until Done()
};

}  // namespace fiverow::board
