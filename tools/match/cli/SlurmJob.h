// A Slurm job array, driven by Slurm's own commands (sbatch, squeue,
// scancel) as the user would run them, so that the site's settings apply:
// its SBATCH_* variables (partition, account, time, CPUs per task) and its
// SLURM_CONF.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace fiverow::match {

struct ArraySubmission {
  std::string script;  // run once per task, which reads SLURM_ARRAY_TASK_ID
  int tasks = 1;       // numbered 1 to tasks
  std::string output;  // each task's standard output and error: a pattern with %a
  std::string folder;  // where the tasks run
  std::string name;    // of the job
  std::optional<int> cpusPerTask;
};

class SlurmJob {
 public:
  // Submits the array. Throws RefereeError with what sbatch said when it
  // refuses, or when it cannot be run.
  explicit SlurmJob(const ArraySubmission& submission);

  const std::string& id() const { return id_; }
  // Whether any of its tasks is still pending or running. Throws
  // RefereeError when squeue keeps failing.
  bool Queued();
  // Cancels every task not yet ended (scancel); failures are only reported
  // to `err`.
  void Cancel(std::ostream& err);

 private:
  std::string id_;
  int squeueFailures_ = 0;
};

// A command's exit status (-1 when it was killed) and what it wrote to
// standard output and error. `argv[0]` is looked up on PATH. Throws
// RefereeError when it cannot be run.
struct CommandOutcome {
  int status = -1;
  std::string output;
};
CommandOutcome RunCommand(const std::vector<std::string>& argv);

// `text` quoted for a POSIX shell.
std::string ShellQuoted(const std::string& text);

}  // namespace fiverow::match
