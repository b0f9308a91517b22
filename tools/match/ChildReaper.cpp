#include "match/ChildReaper.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "common/UniqueFd.h"

namespace fiverow::match {

namespace {

std::mutex gMutex;
std::vector<pid_t> gLive;  // guarded by gMutex
// Whether the kernel lists a task's children in /proc (CONFIG_PROC_CHILDREN).
std::atomic<bool> gChildrenListed{true};

std::string ReadSmallFile(int dir, const char* name) {
  const tools::UniqueFd file(::openat(dir, name, O_RDONLY | O_CLOEXEC));
  std::string text;
  if (!file) return text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(file.get(), buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  return text;
}

void ForEachEntry(const char* path, const std::function<void(int, const char*)>& visit) {
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* stream = ::fdopendir(fd);
  if (stream == nullptr) {
    ::close(fd);
    return;
  }
  while (const dirent* entry = ::readdir(stream)) {
    if (entry->d_name[0] >= '0' && entry->d_name[0] <= '9') visit(::dirfd(stream), entry->d_name);
  }
  ::closedir(stream);
}

// The children of every thread of the referee, as the kernel lists them.
bool ListedChildren(std::vector<pid_t>& children) {
  bool listed = true;
  ForEachEntry("/proc/self/task", [&](int tasks, const char* task) {
    const std::string name = std::string(task) + "/children";
    if (::faccessat(tasks, name.c_str(), R_OK, 0) != 0) listed = false;
    const std::string text = ReadSmallFile(tasks, name.c_str());
    const char* at = text.c_str();
    for (char* end; *at != '\0'; at = end) {
      const long pid = std::strtol(at, &end, 10);
      if (end == at) break;
      children.push_back(static_cast<pid_t>(pid));
    }
  });
  return listed;
}

// The same found by every process's parent, where the kernel has no list.
void ScannedChildren(std::vector<pid_t>& children) {
  const pid_t self = ::getpid();
  ForEachEntry("/proc", [&](int proc, const char* process) {
    const std::string stat = ReadSmallFile(proc, (std::string(process) + "/stat").c_str());
    // "pid (name) state ppid ...": the name may hold anything, so the fields
    // are found after its last ')'.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 4 >= stat.size()) return;
    if (std::atol(stat.c_str() + close + 4) == self) {
      children.push_back(static_cast<pid_t>(std::atol(process)));
    }
  });
}

std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  if (gChildrenListed.load() && ListedChildren(children)) return children;
  gChildrenListed.store(false);
  children.clear();
  ScannedChildren(children);
  return children;
}

bool IsLive(pid_t pid) { return std::find(gLive.begin(), gLive.end(), pid) != gLive.end(); }

}  // namespace

void AdoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

pid_t StartLiveChild(const std::function<pid_t()>& start) {
  const std::lock_guard lock(gMutex);
  const pid_t pid = start();
  if (pid > 0) gLive.push_back(pid);
  return pid;
}

void ForgetLiveChild(pid_t pid) {
  const std::lock_guard lock(gMutex);
  gLive.erase(std::remove(gLive.begin(), gLive.end(), pid), gLive.end());
}

void KillStrays() {
  // Held throughout, so that no pid reaped here is reused by a new engine
  // and then taken for a stray.
  const std::lock_guard lock(gMutex);
  while (true) {
    siginfo_t info{};
    // No child at all (the common case) costs one call.
    if (gLive.empty() && ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 &&
        errno == ECHILD) {
      return;
    }
    std::vector<pid_t> strays = Children();
    std::erase_if(strays, IsLive);
    if (strays.empty()) return;
    for (const pid_t pid : strays) ::kill(pid, SIGKILL);
    for (const pid_t pid : strays) {
      while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED) != 0 && errno == EINTR) {
      }
    }
  }
}

}  // namespace fiverow::match
