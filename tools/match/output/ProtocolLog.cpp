#include "output/ProtocolLog.h"

#include <cerrno>

#include "common/EscapedText.h"
#include "output/OutputFile.h"
#include "process/RefereeError.h"

namespace fiverow::match {

ProtocolLog::ProtocolLog(const std::string& path)
    : path_(path), file_(OpenOutputStream(path, "the log")) {}

ProtocolLog::~ProtocolLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void ProtocolLog::OnLine(const ProtocolLine& line) {
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_).count();
  const std::lock_guard lock(mutex_);
  if (!line.sent) {
    auto& [received, dropped] = received_[{line.game, std::string(line.label)}];
    received += line.text.size() + 1;
    if (received > kGameLimit) {
      dropped += line.text.size() + 1;
      return;
    }
  }
  const bool cut = line.text.size() > kLineLimit;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%10lld", static_cast<long long>(micros));
  Write(std::string(stamp) + " game " + std::to_string(line.game) + " " + std::string(line.label) +
        (line.sent ? " > " : " < ") + tools::EscapeText(line.text.substr(0, kLineLimit)) +
        (cut ? " [cut]" : "") + "\n");
}

void ProtocolLog::GameEnded(const PlayedGame& played, const Standings&) {
  const std::lock_guard lock(mutex_);
  Check();
  for (auto it = received_.begin(); it != received_.end();) {
    const auto& [key, counts] = *it;
    if (key.first != played.setup.game) {
      ++it;
      continue;
    }
    if (counts.second > 0) {
      Write("game " + std::to_string(key.first) + " " + key.second + " sent " +
            std::to_string(counts.second) + " more bytes, not written\n");
    }
    it = received_.erase(it);
  }
}

void ProtocolLog::MatchEnded(const Standings&) {
  const std::lock_guard lock(mutex_);
  Check();
}

void ProtocolLog::Write(const std::string& text) {
  if (error_ != 0) return;
  errno = 0;
  // Written through at once, so that the log shows what happened even when
  // the referee is killed.
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
    error_ = errno != 0 ? errno : EIO;
}

void ProtocolLog::Check() const {
  if (error_ != 0)
    throw RefereeError(SystemErrorText("cannot write the log " + tools::ShownText(path_), error_));
}

}  // namespace fiverow::match
