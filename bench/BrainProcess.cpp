#include "BrainProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace fiverow::bench {

namespace {
constexpr int kReplyTimeoutMs = 5000;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fiverow bench: %s\n", what.c_str());
  std::exit(1);
}

BrainProcess::BrainProcess(const char* path) {
  int toBrain[2], fromBrain[2];
  if (::pipe2(toBrain, O_CLOEXEC) != 0 || ::pipe2(fromBrain, O_CLOEXEC) != 0) Fail("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toBrain[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromBrain[1], STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  char* argv[] = {const_cast<char*>(path), nullptr};
  const int error = ::posix_spawn(&pid_, path, &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(toBrain[0]);
  ::close(fromBrain[1]);
  in_ = toBrain[1];
  out_ = fromBrain[0];
  if (error != 0) Fail(std::string("cannot start ") + path);
}

BrainProcess::~BrainProcess() {
  ::close(in_);
  ::close(out_);
  ::kill(-pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

std::string BrainProcess::Ask(const std::string& text) {
  Send(text);
  return Reply();
}

void BrainProcess::Send(const std::string& text) {
  for (std::size_t sent = 0; sent < text.size();) {
    const ssize_t n = ::write(in_, text.data() + sent, text.size() - sent);
    if (n <= 0) Fail("the brain stopped reading");
    sent += static_cast<std::size_t>(n);
  }
}

std::string BrainProcess::Reply() {
  std::string reply;
  while (reply.size() < 2 || reply.compare(reply.size() - 2, 2, "\r\n") != 0) {
    pollfd watch{out_, POLLIN, 0};
    if (::poll(&watch, 1, kReplyTimeoutMs) <= 0) Fail("no reply in time");
    char buffer[256];
    const ssize_t n = ::read(out_, buffer, sizeof buffer);
    if (n <= 0) Fail("the brain ended");
    reply.append(buffer, static_cast<std::size_t>(n));
    if (reply.size() > 256) Fail("reply too long");
  }
  reply.resize(reply.size() - 2);
  return reply;
}

}  // namespace fiverow::bench
