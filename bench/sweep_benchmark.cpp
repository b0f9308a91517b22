// In-process timings of the evaluation: the sweep plus the selection on each
// bench position, and the sweep alone both by the pass table and tier by tier.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchPositions.h"
#include "eval/Sweep.h"
#include "select/Selection.h"

namespace {

using fiverow::RunState;
using fiverow::bench::BenchPosition;

template <void (*Sweep)(RunState&), bool kSelect>
void Measure(benchmark::State& timing, const BenchPosition& position) {
  auto state = std::make_unique<RunState>();
  fiverow::bench::LoadPosition(*state, position);
  for (auto _ : timing) {
    Sweep(*state);
    if constexpr (kSelect) {
      benchmark::DoNotOptimize(fiverow::SelectMove(*state));
    }
    benchmark::ClobberMemory();
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const BenchPosition& position : fiverow::bench::kBenchPositions) {
    const std::string name = position.name;
    benchmark::RegisterBenchmark(("SweepAndSelect/" + name).c_str(),
                                 Measure<fiverow::EvaluateBoard, true>, position)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Sweep/" + name).c_str(), Measure<fiverow::EvaluateBoard, false>,
                                 position)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("SweepByCascade/" + name).c_str(),
                                 Measure<fiverow::EvaluateBoardByCascade, false>, position)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
