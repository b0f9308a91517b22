// --log FILE: every line sent to and received from every engine, as it
// goes, for an engine's author to see exactly what happened:
//
//       1234 game 1 A > START 20
//      15234 game 1 A < OK
//
// the microseconds since the match started, the game, the engine, ">" for a
// line sent to it and "<" for one from it, and the line, escaped. A line is
// cut at 1 KiB, marked " [cut]"; what an engine sends in a game past 10 MB
// is counted, not written.
#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "match/MatchSink.h"
#include "process/Deadline.h"

namespace fiverow::match {

class ProtocolLog final : public MatchSink {
 public:
  static constexpr std::size_t kLineLimit = 1024;
  static constexpr std::size_t kGameLimit = 10 * 1024 * 1024;

  // Creates the file anew. Throws RefereeError.
  explicit ProtocolLog(const std::string& path);
  ~ProtocolLog() override;
  ProtocolLog(const ProtocolLog&) = delete;
  ProtocolLog& operator=(const ProtocolLog&) = delete;

  void OnLine(const ProtocolLine& line) override;
  void GameEnded(const PlayedGame& played, const Standings& standings) override;
  void MatchEnded(const Standings& standings) override;

 private:
  // Both with the mutex held. A failed write is kept, and told by Check.
  void Write(const std::string& text);
  // Throws RefereeError once a write has failed.
  void Check() const;

  std::string path_;
  std::FILE* file_ = nullptr;
  Clock::time_point start_ = Clock::now();
  std::mutex mutex_;
  int error_ = 0;  // of the first write that failed
  // By game and engine: the bytes received, and those not written.
  std::map<std::pair<int, std::string>, std::pair<std::size_t, std::size_t>> received_;
};

}  // namespace fiverow::match
