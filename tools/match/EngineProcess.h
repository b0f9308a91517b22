// Runs one engine move as a child process with a time limit.
//
// The engine gets a process group of its own, so the referee can kill it
// together with anything it started: when it runs over the limit, and again
// after it ends, so that nothing it left behind outlives its move.
#pragma once

#include <string>
#include <vector>

namespace fiverow::match {

struct RunOutcome {
  enum class End { Exited, Signalled, TimedOut };
  End end = End::Exited;
  int code = 0;          // exit status, or the signal number
  double seconds = 0.0;  // wall time from start to end
  std::string output;    // what it wrote to stdout and stderr, at most 64 KiB
};

// Runs `argv` in `folder`, with stdin from /dev/null and stdout and stderr
// captured. Throws RefereeError when it cannot be started (no such program,
// no such folder) and Interrupted, after killing it, when the referee is told
// to stop meanwhile.
RunOutcome RunEngineProcess(const std::vector<std::string>& argv, const std::string& folder,
                            double limitSeconds);

// Makes SIGINT, SIGTERM, SIGHUP and SIGPIPE (output closed) stop the current
// engine and the match, so that the engines' folders are removed, instead of
// killing the referee outright.
void CatchStopSignals();
bool StopRequested();

}  // namespace fiverow::match
