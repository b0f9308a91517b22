#include "cli/SlurmJob.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ostream>

#include "common/EscapedText.h"
#include "common/UniqueFd.h"
#include "process/RefereeError.h"

extern char** environ;

namespace fiverow::match {

namespace {

// squeue may fail now and then while the controller is busy; this many
// failures in a row end the wait.
constexpr int kSqueueFailuresAllowed = 5;

std::string FirstLine(const std::string& text) {
  return tools::ShownText(text.substr(0, text.find('\n')));
}

}  // namespace

CommandOutcome RunCommand(const std::vector<std::string>& argv) {
  CommandOutcome outcome;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0)
    throw RefereeError(SystemErrorText("cannot create a pipe", errno));
  tools::UniqueFd readEnd(ends[0]);
  tools::UniqueFd writeEnd(ends[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int error = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  writeEnd.Reset();
  if (error != 0) throw RefereeError(SystemErrorText("cannot run " + argv[0], error));
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(readEnd.get(), buffer, sizeof buffer);
    if (got > 0) {
      outcome.output.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

SlurmJob::SlurmJob(const ArraySubmission& submission) {
  std::vector<std::string> argv = {"sbatch",
                                   "--parsable",
                                   "--array=1-" + std::to_string(submission.tasks),
                                   "--job-name=" + submission.name,
                                   "--output=" + submission.output,
                                   "--chdir=" + submission.folder};
  // An SBATCH_CPUS_PER_TASK of the site's or the user's wins.
  if (submission.cpusPerTask && std::getenv("SBATCH_CPUS_PER_TASK") == nullptr)
    argv.push_back("--cpus-per-task=" + std::to_string(*submission.cpusPerTask));
  argv.push_back(submission.script);
  const CommandOutcome submitted = RunCommand(argv);
  // "JOBID" or "JOBID;CLUSTER" on its last line, after any warnings.
  std::string last = submitted.output;
  while (!last.empty() && last.back() == '\n') last.pop_back();
  last = last.substr(last.rfind('\n') == std::string::npos ? 0 : last.rfind('\n') + 1);
  id_ = last.substr(0, last.find(';'));
  if (submitted.status != 0 || id_.empty() ||
      id_.find_first_not_of("0123456789") != std::string::npos) {
    throw RefereeError("sbatch refused the job array: " + FirstLine(submitted.output));
  }
}

bool SlurmJob::Queued() {
  const CommandOutcome listed =
      RunCommand({"squeue", "--noheader", "--jobs=" + id_, "--format=%i"});
  if (listed.status == 0) {
    squeueFailures_ = 0;
    return listed.output.find_first_not_of(" \n") != std::string::npos;
  }
  // A job gone from the controller's memory is no longer known by its id.
  if (listed.output.find("Invalid job id") != std::string::npos) return false;
  if (++squeueFailures_ >= kSqueueFailuresAllowed)
    throw RefereeError("squeue keeps failing: " + FirstLine(listed.output));
  return true;
}

void SlurmJob::Cancel(std::ostream& err) {
  const CommandOutcome cancelled = RunCommand({"scancel", id_});
  if (cancelled.status != 0) {
    err << "fiverow-match: scancel " << id_ << " failed: " << FirstLine(cancelled.output) << "\n";
  }
}

}  // namespace fiverow::match
