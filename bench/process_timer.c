/* Times whole runs of two programs in one working directory, alternating
   between them, and prints the median wall time of each and their ratio.

   usage: fiverow-process-timer RUNS DIR PROGRAM FLOOR

   Before every run Tah.dat is restored to what DIR held at the start, so each
   run sees the same files. A run is timed from just before its spawn to the
   end of the wait for it; the restore is not timed. The order alternates
   (PROGRAM first on even rounds, FLOOR first on odd ones) so neither gets a
   steady advantage from the other's cache effects. */
#define _XOPEN_SOURCE 700
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

enum { kWarmUpRuns = 20, kMaxTurnFile = 4096 };

static char turnFile[kMaxTurnFile];
static size_t turnFileSize;

static void Fail(const char* what) {
  fprintf(stderr, "fiverow-process-timer: %s: %s\n", what, strerror(errno));
  exit(1);
}

static void SaveTurnFile(void) {
  FILE* file = fopen("Tah.dat", "rb");
  if (file == NULL) Fail("Tah.dat");
  turnFileSize = fread(turnFile, 1, sizeof turnFile, file);
  fclose(file);
}

static void RestoreTurnFile(void) {
  FILE* file = fopen("Tah.dat", "wb");
  if (file == NULL) Fail("Tah.dat");
  if (fwrite(turnFile, 1, turnFileSize, file) != turnFileSize) Fail("Tah.dat");
  if (fclose(file) != 0) Fail("Tah.dat");
}

static double NowMicroseconds(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec * 1e6 + (double)now.tv_nsec / 1e3;
}

/* One timed run; exits the timer if the program does not end with status 0. */
static double TimeRun(const char* program) {
  RestoreTurnFile();
  char* argv[] = {(char*)program, NULL};
  pid_t pid;
  const double start = NowMicroseconds();
  const int error = posix_spawn(&pid, program, NULL, NULL, argv, environ);
  if (error != 0) {
    errno = error;
    Fail(program);
  }
  int status;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) Fail("waitpid");
  }
  const double elapsed = NowMicroseconds() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "fiverow-process-timer: %s did not end with status 0\n", program);
    exit(1);
  }
  return elapsed;
}

static int CompareDoubles(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

/* Sorts `times` and returns the value at quantile q (0..1). */
static double Quantile(double* times, int count, double q) {
  qsort(times, (size_t)count, sizeof *times, CompareDoubles);
  const double position = q * (double)(count - 1);
  const int below = (int)position;
  const double fraction = position - (double)below;
  if (below + 1 >= count) return times[count - 1];
  return times[below] * (1.0 - fraction) + times[below + 1] * fraction;
}

static const char* BaseName(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash != NULL ? slash + 1 : path;
}

static void PrintMove(const char* program) {
  char move[16] = {0};
  FILE* file = fopen("Tah.dat", "rb");
  if (file == NULL) Fail("Tah.dat");
  const size_t size = fread(move, 1, sizeof move - 1, file);
  fclose(file);
  printf("%-8s writes  \"%.*s\"\n", BaseName(program), (int)size, move);
}

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: %s RUNS DIR PROGRAM FLOOR\n", argv[0]);
    return 2;
  }
  const int runs = atoi(argv[1]);
  if (runs < 1) {
    fprintf(stderr, "fiverow-process-timer: RUNS must be at least 1\n");
    return 2;
  }
  /* Full paths, since the runs happen in DIR. */
  const char* programs[2];
  for (int i = 0; i < 2; ++i) {
    programs[i] = realpath(argv[3 + i], NULL);
    if (programs[i] == NULL || access(programs[i], X_OK) != 0) Fail(argv[3 + i]);
  }
  if (chdir(argv[2]) != 0) Fail(argv[2]);
  SaveTurnFile();

  for (int i = 0; i < 2; ++i) {
    TimeRun(programs[i]);
    PrintMove(programs[i]);
  }
  for (int round = 0; round < kWarmUpRuns; ++round) {
    TimeRun(programs[round % 2]);
    TimeRun(programs[1 - round % 2]);
  }

  double* times[2];
  for (int i = 0; i < 2; ++i) {
    times[i] = malloc((size_t)runs * sizeof(double));
    if (times[i] == NULL) Fail("malloc");
  }
  for (int round = 0; round < runs; ++round) {
    const int first = round % 2;
    times[first][round] = TimeRun(programs[first]);
    times[1 - first][round] = TimeRun(programs[1 - first]);
  }
  RestoreTurnFile();

  double median[2];
  printf("runs     %d each, alternating, after %d warm-up runs each\n", runs, kWarmUpRuns);
  for (int i = 0; i < 2; ++i) {
    median[i] = Quantile(times[i], runs, 0.5);
    printf("%-8s median %8.1f us   (p10 %.1f, p90 %.1f)\n", BaseName(programs[i]), median[i],
           Quantile(times[i], runs, 0.1), Quantile(times[i], runs, 0.9));
    free(times[i]);
  }
  printf("ratio    %s/%s median %.3f\n", BaseName(programs[0]), BaseName(programs[1]),
         median[0] / median[1]);
  return 0;
}
