// --watch FILE: the match that fiverow-match --events FILE writes
// (output/EventStream.h), followed as the file grows: the boards of the
// games being played, the last results, the standings and crosstable, and
// the SPRT's log-likelihood ratio after each pair of games. The file may
// come later than the board starts, and starts over when a new match writes
// it anew, known by its first bytes. Its lines are taken as untrusted: a
// line that is not an event of the shape described (output/MatchEvents.h),
// or an event with values out of place, is skipped and counted, and only
// the values shown are kept, checked and bounded.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "board/Followed.h"
#include "board/Json.h"
#include "common/UniqueFd.h"

namespace fiverow::board {

class MatchWatch final : public Followed {
 public:
  static constexpr std::size_t kLineLimit = 1024 * 1024;
  static constexpr std::size_t kBoardsKept = 8;    // games being played, then the last ended
  static constexpr std::size_t kResultsKept = 40;  // the last results listed
  static constexpr std::size_t kSprtPointsKept = 2000;

  explicit MatchWatch(std::string path);
  // Stop().
  ~MatchWatch() override;
  MatchWatch(const MatchWatch&) = delete;
  MatchWatch& operator=(const MatchWatch&) = delete;

  // Follows the file on a thread of its own until Stop().
  void Start();
  void Stop();

  // Reads on in the file once, as the thread does each time it wakes:
  // whether anything was read.
  bool Poll();
  // Takes one line of the file, without its line end.
  void Take(std::string_view line);

 private:
  struct Board {
    int x = 0;  // the engines, by index
    int o = 0;
    std::vector<Move> stones;
    Json result;  // null while it is played
    std::deque<Json> notes;
  };

  void Run();
  // Splits a block read into lines, going on with the line being read: the
  // bytes of the lines kept.
  std::size_t Split(std::string_view block, std::vector<std::string>& lines);
  // Whether the file still starts as it did when it was read.
  bool SameStart() const;
  // With mutex_ held: forgets the match, for a file written anew.
  void Reset();
  // With mutex_ held; throws Json's exceptions on values out of place.
  void Apply(const Json& event);
  Board& BoardOf(int game);
  std::string SnapshotJson(std::uint64_t version) const override;

  const std::string path_;
  // The file as read so far, by Poll() alone.
  tools::UniqueFd file_;
  struct stat opened_ {};
  std::int64_t offset_ = 0;
  std::string partial_;    // the line being read
  bool dropping_ = false;  // the rest of a line over the limit
  std::string start_;      // the file's first bytes, as read
  // Guarded by mutex_:
  std::string status_;  // why nothing is read, for people
  Json match_;          // the match-started event, checked; null before it
  int size_ = 20;
  std::map<int, Board> boards_;
  std::deque<Json> results_;
  Json standings_;
  std::vector<std::pair<int, double>> sprtPoints_;
  Json sprt_;  // the last SPRT event, checked
  bool ended_ = false;
  std::size_t skipped_ = 0;
  bool stopping_ = false;

  std::thread thread_;
};

}  // namespace fiverow::board
