#include "process/posix/ChildReaper.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/UniqueFd.h"
#include "process/posix/ProcessTable.h"

namespace fiverow::match {

namespace {

std::mutex gMutex;
std::vector<pid_t> gLive;  // guarded by gMutex
// The starts under way, by ticket, and the next ticket; guarded by gMutex.
std::set<std::uint64_t> gStarting;
std::uint64_t gNextTicket = 0;
std::condition_variable gStarted;  // a start has ended

bool IsLive(pid_t pid) { return std::find(gLive.begin(), gLive.end(), pid) != gLive.end(); }

// Whether a child was reaped: it is no longer the referee's child.
bool Reaped(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 &&
         errno == ECHILD;
}

std::vector<pid_t> ScannedChildren() {
  std::vector<pid_t> children;
  for (const ProcessEntry& entry : ScanDescendants()) {
    if (entry.parent == ::getpid()) children.push_back(entry.pid);
  }
  return children;
}

std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  while (ListedChildren("/proc/self/task", children)) {
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
  return ScannedChildren();
}

// The lists where a stray can be found without looking at every thread: the
// calling thread's, and the main thread's, where the kernel puts the orphans
// handed to the referee (to its first thread still running). Kept open.
struct NearLists {
  tools::UniqueFd own;
  tools::UniqueFd main;
  bool isMain = false;
};

NearLists OpenNearLists() {
  NearLists lists;
  const pid_t self = ::getpid();
  const pid_t thread = ::gettid();
  const std::string tasks = "/proc/" + std::to_string(self) + "/task/";
  lists.own.Reset(
      ::open((tasks + std::to_string(thread) + "/children").c_str(), O_RDONLY | O_CLOEXEC));
  lists.isMain = thread == self;
  if (!lists.isMain) {
    lists.main.Reset(
        ::open((tasks + std::to_string(self) + "/children").c_str(), O_RDONLY | O_CLOEXEC));
  }
  return lists;
}

// Whether no stray can be left: the referee has no child at all, or every
// child on the near lists is a live engine, still unreaped (a list read
// while one of its children is reaped may skip the next one). False when
// they cannot tell.
bool NoStrayNear() {
  siginfo_t info{};
  if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno == ECHILD) return true;
  thread_local const NearLists lists = OpenNearLists();
  if (!lists.own || (!lists.main && !lists.isMain)) return false;
  std::vector<pid_t> children;
  if (!ReadChildrenList(lists.own.get(), children)) return false;
  if (lists.main && !ReadChildrenList(lists.main.get(), children)) return false;
  if (children.empty()) return true;
  const std::lock_guard lock(gMutex);
  return std::all_of(children.begin(), children.end(),
                     [](pid_t pid) { return IsLive(pid) && !Reaped(pid); });
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
  // The common case, nothing left behind, costs a call or a read or two and
  // no look at the other threads. A stray the kernel handed to another
  // thread is found there, by that thread's next call or the last one.
  if (NoStrayNear()) return;
  std::unique_lock lock(gMutex);
  while (true) {
    siginfo_t info{};
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
  return ScannedChildren();
}

}  // namespace fiverow::match
