// pbrain-fiverow (or any pipe engine) as a child process on two pipes, for
// the benchmarks: in a process group of its own, killed with everything it
// started when dropped. Any fault ends the benchmark with a message.
#pragma once

#include <sys/types.h>

#include <string>

namespace fiverow::bench {

[[noreturn]] void Fail(const std::string& what);

class BrainProcess {
 public:
  explicit BrainProcess(const char* path);
  ~BrainProcess();
  BrainProcess(const BrainProcess&) = delete;
  BrainProcess& operator=(const BrainProcess&) = delete;

  // Sends the text and returns the reply line without its CR LF.
  std::string Ask(const std::string& text);
  // Writes the text only; Reply() reads the answer.
  void Send(const std::string& text);
  std::string Reply();
  // The process group: the process and all it started.
  pid_t group() const { return pid_; }
  // Where its answers come from, to wait on.
  int output() const { return out_; }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
};

}  // namespace fiverow::bench
