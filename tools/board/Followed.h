// Something a page follows as it changes (a game, a match being watched): a
// snapshot as JSON text and a version that changes with it, which the
// snapshot holds too ("version"), so that a page can tell an older snapshot
// that reached it late. Followers wait for the next version; closing it ends
// every wait.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace fiverow::board {

struct Snapshot {
  std::uint64_t version = 0;
  std::string json;
};

class Followed {
 public:
  virtual ~Followed() = default;

  // The snapshot once its version is other than `seen`, or the same version
  // again after `timeout`; nothing once it is closed.
  std::optional<Snapshot> Next(std::uint64_t seen, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return closed_ || version_ != seen; });
    if (closed_) return std::nullopt;
    return Snapshot{version_, SnapshotJson(version_)};
  }

  // The snapshot now.
  std::string Now() const {
    const std::lock_guard lock(mutex_);
    return SnapshotJson(version_);
  }

 protected:
  // With mutex_ held: the snapshot, holding `version`.
  virtual std::string SnapshotJson(std::uint64_t version) const = 0;
  // With mutex_ held: a new version for the followers.
  void Changed() {
    ++version_;
    changed_.notify_all();
  }
  // With mutex_ held: every wait ends.
  void CloseFollowers() {
    closed_ = true;
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;

 private:
  std::uint64_t version_ = 1;
  bool closed_ = false;
};

}  // namespace fiverow::board
