// fiverow-bench-signature: prints the evaluation's fingerprint. With
// `--expect HEX` it also compares it and exits 1 on a difference. With
// `--by-cascade` every pass runs tier by tier instead of by the pass table;
// the fingerprint must be the same.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchSignature.h"
#include "eval/Sweep.h"
#include "runtime/Failure.h"

int main(int argc, char** argv) {
  const char* expected = nullptr;
  fiverow::bench::SweepFunction sweep = fiverow::EvaluateBoard;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--by-cascade") == 0) {
      sweep = fiverow::EvaluateBoardByCascade;
    } else if (std::strcmp(argv[i], "--expect") == 0 && i + 1 < argc) {
      expected = argv[++i];
    } else {
      std::fprintf(stderr, "usage: %s [--by-cascade] [--expect HEX]\n", argv[0]);
      return 2;
    }
  }

  std::uint64_t signature = 0;
  try {
    signature = fiverow::bench::BenchSignature(sweep);
  } catch (const fiverow::RunFailure& failure) {
    std::printf("evaluation failed: %s\n", fiverow::KindName(failure.kind));
    return 1;
  }
  std::printf("bench signature: %016" PRIx64 "\n", signature);
  if (expected == nullptr) return 0;

  char* end = nullptr;
  const std::uint64_t wanted = std::strtoull(expected, &end, 16);
  if (end == expected || *end != '\0') {
    std::fprintf(stderr, "not a hexadecimal signature: %s\n", expected);
    return 2;
  }
  if (signature != wanted) {
    std::printf("expected:        %016" PRIx64 "\nthe evaluation's results changed\n", wanted);
    return 1;
  }
  return 0;
}
