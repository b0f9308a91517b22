#include "process/posix/ProcessTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "common/UniqueFd.h"
#include "process/posix/ProcessHandle.h"
#include "process/posix/SmallFile.h"

namespace fiverow::match {

namespace {

// Whether the kernel lists a task's children in /proc
// (CONFIG_PROC_CHILDREN), until a list is found missing.
std::atomic<bool> gChildrenListed{true};

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

// Processes known not to descend from the referee, each held by a process
// handle. A process is only ever handed on to an ancestor of its own when its
// parent ends, so one that does not descend from the referee never will; and
// while its handle shows it running, its number is its own. So a scan reads
// the status of the processes it has not met before and of the referee's
// descendants alone, not of every process on the machine.
std::mutex gOutsidersMutex;
std::unordered_map<pid_t, tools::UniqueFd> gOutsiders;  // guarded by gOutsidersMutex

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

// The parent of a process, from "pid (name) state ppid ..." in its stat
// file, `path` from the folder `dir`; the name may hold anything, so the
// fields are found after its last ')'. None once the process has gone.
std::optional<pid_t> ParentIn(int dir, const std::string& path) {
  const std::string stat = ReadSmallFile(dir, path);
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 4 >= stat.size()) return std::nullopt;
  return static_cast<pid_t>(std::atol(stat.c_str() + close + 4));
}

// Every process below `root`, found by the parent of every process.
std::vector<ProcessEntry> ScannedDescendants(pid_t root) {
  const std::vector<ProcessEntry> table = ScanDescendants();
  std::vector<ProcessEntry> found;
  std::vector<pid_t> next{root};
  while (!next.empty()) {
    const pid_t parent = next.back();
    next.pop_back();
    for (const ProcessEntry& entry : table) {
      if (entry.parent != parent) continue;
      found.push_back(entry);
      next.push_back(entry.pid);
    }
  }
  return found;
}

}  // namespace

TaskChildren::TaskChildren(const std::string& tasks)
    : tasks_(::open(tasks.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

TaskChildren::TaskChildren(pid_t pid) : TaskChildren("/proc/" + std::to_string(pid) + "/task") {}

bool TaskChildren::Read(std::vector<pid_t>& children) {
  if (!gChildrenListed.load()) return false;
  // Raw getdents64 and reads from the start of handles kept open: no path
  // is looked up again once a task is known.
  if (!tasks_ || ::lseek(tasks_.get(), 0, SEEK_SET) != 0) return true;  // gone: no children
  alignas(8) char entries[4096];
  std::vector<pid_t> seen;
  for (long size; (size = ::syscall(SYS_getdents64, tasks_.get(), entries, sizeof entries)) > 0;) {
    for (long at = 0; at < size;) {
      const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
      at += entry->d_reclen;
      if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
      seen.push_back(std::atoi(entry->d_name));
      tools::UniqueFd& list = lists_[seen.back()];
      if (!list) {
        list.Reset(::openat(tasks_.get(), (std::string(entry->d_name) + "/children").c_str(),
                            O_RDONLY | O_CLOEXEC));
        if (!list && errno == ENOENT) {  // the kernel keeps no lists
          gChildrenListed.store(false);
          return false;
        }
        if (!list) continue;  // the task has ended
      }
      ReadChildrenList(list.get(), children);
    }
    // Room left for more than another entry: the folder was read to its end.
    if (static_cast<std::size_t>(size) < sizeof entries / 2) break;
  }
  // The lists of tasks that have ended are closed.
  std::erase_if(lists_, [&seen](const auto& list) {
    return std::find(seen.begin(), seen.end(), list.first) == seen.end();
  });
  return true;
}

bool ReadChildrenList(int list, std::vector<pid_t>& children) {
  char text[4096];
  std::string pids;
  ssize_t got;
  // A read that leaves room for more than another entry read the list to its
  // end: most lists, empty or short, take one read.
  while ((got = ::pread(list, text, sizeof text, static_cast<off_t>(pids.size()))) > 0) {
    pids.append(text, static_cast<std::size_t>(got));
    if (static_cast<std::size_t>(got) < sizeof text / 2) break;
  }
  if (got < 0) return false;
  const char* from = pids.c_str();
  for (char* end; *from != '\0'; from = end) {
    const long pid = std::strtol(from, &end, 10);
    if (end == from) break;
    children.push_back(static_cast<pid_t>(pid));
  }
  return true;
}

bool ListedChildren(const std::string& tasks, std::vector<pid_t>& children) {
  return TaskChildren(tasks).Read(children);
}

std::vector<ProcessEntry> ScanDescendants() {
  static const std::size_t limit = OutsiderLimit();
  const pid_t self = ::getpid();
  std::vector<ProcessEntry> descendants;
  const tools::UniqueFd proc(::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!proc) return descendants;
  std::vector<pid_t> listed;
  ForEachEntry("/proc", [&](int, const char* process) { listed.push_back(std::atoi(process)); });
  const std::lock_guard lock(gOutsidersMutex);
  // After the listing: an outsider still running now was what its number
  // named in the listing.
  ForgetEndedOutsiders();

  struct Unplaced {
    ProcessEntry entry;
    tools::UniqueFd handle;
  };
  std::vector<Unplaced> unplaced;
  for (const pid_t pid : listed) {
    if (pid == self || gOutsiders.contains(pid)) continue;
    // The handle first: if it still shows the process running after the
    // read, what was read was that process's.
    tools::UniqueFd handle(OpenProcessHandle(pid));
    const std::optional<pid_t> parent = ParentIn(proc.get(), std::to_string(pid) + "/stat");
    if (!parent) continue;
    if (*parent == self)
      descendants.push_back({pid, *parent});
    else if (handle)
      unplaced.push_back({{pid, *parent}, std::move(handle)});
  }
  // A process whose parent is an outsider, or no process the referee can
  // see, is an outsider too; parents are placed before their children.
  for (bool placed = true; placed;) {
    placed = false;
    for (Unplaced& process : unplaced) {
      if (!process.handle || gOutsiders.size() >= limit) continue;
      const auto parent = gOutsiders.find(process.entry.parent);
      if (process.entry.parent != 0 && parent == gOutsiders.end()) continue;
      if (!HasEnded(process.handle.get()) &&
          (parent == gOutsiders.end() || !HasEnded(parent->second.get()))) {
        gOutsiders.emplace(process.entry.pid, std::move(process.handle));
        placed = true;
      }
      process.handle.Reset();
    }
  }
  // The rest descend from the referee's children.
  for (const Unplaced& process : unplaced) {
    if (process.handle) descendants.push_back(process.entry);
  }
  return descendants;
}

std::vector<ProcessEntry> Descendants(pid_t root, TaskChildren* rootChildren) {
  std::vector<ProcessEntry> found;
  std::vector<pid_t> next{root};
  std::vector<pid_t> children;
  while (!next.empty()) {
    const pid_t parent = next.back();
    next.pop_back();
    children.clear();
    const bool listed = parent == root && rootChildren != nullptr
                            ? rootChildren->Read(children)
                            : ListedChildren("/proc/" + std::to_string(parent) + "/task", children);
    if (!listed) return ScannedDescendants(root);
    for (const pid_t child : children) found.push_back({child, parent});
    next.insert(next.end(), children.begin(), children.end());
  }
  return found;
}

std::optional<pid_t> ParentOf(pid_t pid) {
  return ParentIn(AT_FDCWD, "/proc/" + std::to_string(pid) + "/stat");
}

}  // namespace fiverow::match
