#include "process/ChildReaper.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/UniqueFd.h"
#include "process/ProcessHandle.h"

namespace fiverow::match {

namespace {

std::mutex gMutex;
std::vector<pid_t> gLive;  // guarded by gMutex
// The starts under way, by ticket, and the next ticket; guarded by gMutex.
std::set<std::uint64_t> gStarting;
std::uint64_t gNextTicket = 0;
std::condition_variable gStarted;  // a start has ended
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

// Processes known not to descend from the referee, each held by a process
// handle. A process is only ever handed on to an ancestor of its own when its
// parent ends, so one that does not descend from the referee never will; and
// while its handle shows it running, its number is its own. So a scan reads
// the status of the processes it has not met before and of the referee's
// descendants alone, not of every process on the machine.
std::unordered_map<pid_t, tools::UniqueFd> gOutsiders;  // guarded by gMutex

// At most a quarter of the handles the referee may hold are kept for them.
std::size_t OutsiderLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  return limit.rlim_cur == RLIM_INFINITY ? 4096 : static_cast<std::size_t>(limit.rlim_cur / 4);
}

// Forgets the outsiders that have ended: their numbers may be anyone's now.
void ForgetEndedOutsiders() {
  std::vector<pollfd> watched;
  std::vector<pid_t> pids;
  for (const auto& [pid, handle] : gOutsiders) {
    watched.push_back({handle.get(), POLLIN, 0});
    pids.push_back(pid);
  }
  int ready;
  while ((ready = ::poll(watched.data(), watched.size(), 0)) < 0 && errno == EINTR) {
  }
  if (ready < 0) return gOutsiders.clear();
  for (std::size_t i = 0; i < watched.size(); ++i) {
    if (watched[i].revents != 0) gOutsiders.erase(pids[i]);
  }
}

// The parent of a process, from "pid (name) state ppid ..."; the name may
// hold anything, so the fields are found after its last ')'. None once the
// process has gone.
std::optional<pid_t> ParentOf(int proc, pid_t pid) {
  const std::string stat = ReadSmallFile(proc, (std::to_string(pid) + "/stat").c_str());
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 4 >= stat.size()) return std::nullopt;
  return static_cast<pid_t>(std::atol(stat.c_str() + close + 4));
}

// The same found by every process's parent, where the kernel has no list.
void ScannedChildren(std::vector<pid_t>& children) {
  static const std::size_t limit = OutsiderLimit();
  const pid_t self = ::getpid();
  const tools::UniqueFd proc(::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!proc) return;
  std::vector<pid_t> listed;
  ForEachEntry("/proc", [&](int, const char* process) { listed.push_back(std::atoi(process)); });
  // After the listing: an outsider still running now was what its number
  // named in the listing.
  ForgetEndedOutsiders();

  struct Unplaced {
    pid_t pid;
    pid_t parent;
    tools::UniqueFd handle;
  };
  std::vector<Unplaced> unplaced;
  for (const pid_t pid : listed) {
    if (pid == self || gOutsiders.contains(pid)) continue;
    // The handle first: if it still shows the process running after the
    // read, what was read was that process's.
    tools::UniqueFd handle(OpenProcessHandle(pid));
    const std::optional<pid_t> parent = ParentOf(proc.get(), pid);
    if (!parent) continue;
    if (*parent == self)
      children.push_back(pid);
    else if (handle)
      unplaced.push_back({pid, *parent, std::move(handle)});
  }
  // A process whose parent is an outsider, or no process the referee can
  // see, is an outsider too; parents are placed before their children.
  for (bool placed = true; placed;) {
    placed = false;
    for (Unplaced& process : unplaced) {
      if (!process.handle || gOutsiders.size() >= limit) continue;
      const auto parent = gOutsiders.find(process.parent);
      if (process.parent != 0 && parent == gOutsiders.end()) continue;
      if (!HasEnded(process.handle.get()) &&
          (parent == gOutsiders.end() || !HasEnded(parent->second.get()))) {
        gOutsiders.emplace(process.pid, std::move(process.handle));
        placed = true;
      }
      process.handle.Reset();
    }
  }
}

bool IsLive(pid_t pid) { return std::find(gLive.begin(), gLive.end(), pid) != gLive.end(); }

// Whether a child was reaped: it is no longer the referee's child.
bool Reaped(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 &&
         errno == ECHILD;
}

std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  while (gChildrenListed.load() && ListedChildren(children)) {
    // The kernel reads a list on from the child it read last; if that child
    // was reaped meanwhile, it goes on by position and can skip one. Only an
    // engine can be reaped meanwhile (by the thread that runs it; strays are
    // reaped here), and a reaped child stays reaped, so a list whose live
    // engines are all still children missed nothing.
    if (std::none_of(children.begin(), children.end(),
                     [](pid_t pid) { return IsLive(pid) && Reaped(pid); })) {
      return children;
    }
    children.clear();
  }
  gChildrenListed.store(false);
  children.clear();
  ScannedChildren(children);
  return children;
}

}  // namespace

void AdoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

pid_t StartLiveChild(const std::function<pid_t()>& start) {
  std::unique_lock lock(gMutex);
  const std::uint64_t ticket = gNextTicket++;
  gStarting.insert(ticket);
  lock.unlock();
  // Not under the lock: a start lasts until the child's exec, and starts in
  // other threads need not wait for it.
  pid_t pid = -1;
  try {
    pid = start();
  } catch (...) {
    lock.lock();
    gStarting.erase(ticket);
    gStarted.notify_all();
    throw;
  }
  lock.lock();
  if (pid > 0) gLive.push_back(pid);
  gStarting.erase(ticket);
  gStarted.notify_all();
  return pid;
}

void ForgetLiveChild(pid_t pid) {
  const std::lock_guard lock(gMutex);
  gLive.erase(std::remove(gLive.begin(), gLive.end(), pid), gLive.end());
}

void KillStrays() {
  std::unique_lock lock(gMutex);
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
    // A child that another thread is starting is not registered yet (and may
    // have the number of a stray reaped here): once the starts under way are
    // done, look again.
    if (!gStarting.empty()) {
      const std::uint64_t next = gNextTicket;
      gStarted.wait(lock, [next] { return gStarting.empty() || *gStarting.begin() >= next; });
      continue;
    }
    // Until reaped, under the lock, a stray keeps its number from any new
    // engine.
    for (const pid_t pid : strays) ::kill(pid, SIGKILL);
    for (const pid_t pid : strays) {
      while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED) != 0 && errno == EINTR) {
      }
    }
  }
}

std::vector<pid_t> ScanForChildren() {
  const std::lock_guard lock(gMutex);
  std::vector<pid_t> children;
  ScannedChildren(children);
  return children;
}

}  // namespace fiverow::match
