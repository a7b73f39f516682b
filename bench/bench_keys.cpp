// The three keys with full leave-one-out diagnostics on seeded noisy
// similarity data with national-grid sized coordinates.
#include <benchmark/benchmark.h>

#include <random>

#include "adjustment/seznam.h"
#include "geometry/geometry.h"

namespace {

using ternavo::Extended;

ternavo::TSeznam NoisyGridData(int n) {
  ternavo::TSeznam s;
  std::mt19937_64 rng(20240 + static_cast<uint64_t>(n));
  auto uniform = [&rng](Extended lo, Extended hi) {
    return lo + (hi - lo) * (static_cast<Extended>(rng() >> 11) / 9007199254740992.0L);
  };
  ternavo::Matice r(3, 3);
  ternavo::RotationFromAngles(r, 0.0003L, -0.0002L, 0.0123L);
  const Extended scale = 1.0000123L;
  const Extended shift[3] = {-1234.5L, 876.25L, 45.5L};
  for (int k = 0; k < n; ++k) {
    ternavo::TIdentickyBod p;
    p.Name = std::to_string(k + 1);
    p.SourceX = 1.0e6L + uniform(-20000, 20000);
    p.SourceY = 1.1e6L + uniform(-20000, 20000);
    p.SourceZ = 300 + uniform(-200, 200);
    Extended t[3];
    for (int i = 1; i <= 3; ++i) {
      t[i - 1] =
          shift[i - 1] +
          scale * (r.Get(i, 1) * p.SourceX + r.Get(i, 2) * p.SourceY + r.Get(i, 3) * p.SourceZ) +
          uniform(-0.05L, 0.05L);
    }
    p.TargetX = t[0];
    p.TargetY = t[1];
    p.TargetZ = t[2];
    p.Used = true;
    s.IdenticalPoints.push_back(p);
  }
  return s;
}

template <void (ternavo::TSeznam::*kDriver)()>
void BM_Driver(benchmark::State& state) {
  const ternavo::TSeznam data = NoisyGridData(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ternavo::TSeznam s = data;
    (s.*kDriver)();
    if (!s.KeyValid) {
      state.SkipWithError("no key");
      break;
    }
    benchmark::DoNotOptimize(s.M0);
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_TEMPLATE(BM_Driver, &ternavo::TSeznam::AdjustAffine)->Apply(Sizes);
BENCHMARK_TEMPLATE(BM_Driver, &ternavo::TSeznam::AdjustSimilarity)->Apply(Sizes);
BENCHMARK_TEMPLATE(BM_Driver, &ternavo::TSeznam::AdjustCongruence)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
