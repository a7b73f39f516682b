// Loading a coordinate file of a million detail points, and transforming and
// rendering them.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

#include "adjustment/seznam.h"

namespace {

constexpr int kDetailPoints = 1000000;
std::string gCreatedFile;

// A realistic file: a few identical points, then a million detail points
// with national-grid sized coordinates in millimetre precision.
const std::string& BigFile() {
  static const std::string path = [] {
    const std::string name = "/tmp/ternavo_bench_load_" + std::to_string(::getpid()) + ".txt";
    std::FILE* f = std::fopen(name.c_str(), "wb");
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<long> mm(0, 999999999);
    std::fprintf(f, "4\r\n");
    for (int i = 1; i <= 4; ++i) {
      std::fprintf(f, "%d %ld.%03ld %ld.%03ld 25%d.125\r\n%d.5 %d.25 3%d.0\r\n", i, 600000L + i,
                   i * 7L, 1100000L + i, i * 3L, i, i, i, i);
    }
    std::fprintf(f, "%d\r\n", kDetailPoints);
    for (int j = 0; j < kDetailPoints; ++j) {
      const long x = mm(rng), y = mm(rng), z = mm(rng) % 1000000;
      std::fprintf(f, "%d %ld.%03ld %ld.%03ld %ld.%03ld\r\n", 100000 + j, 400000 + x / 1000,
                   x % 1000, 1000000 + y / 1000, y % 1000, z / 1000, z % 1000);
    }
    std::fclose(f);
    gCreatedFile = name;
    return name;
  }();
  return path;
}

void BM_LoadDetailPoints(benchmark::State& state) {
  const std::string& path = BigFile();
  for (auto _ : state) {
    ternavo::TSeznam s;
    if (!s.LoadFromFile(path) || s.GetDetailCount() != kDetailPoints) {
      state.SkipWithError("load failed");
      break;
    }
    benchmark::DoNotOptimize(s.DetailPoints.data());
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  state.counters["MB"] = static_cast<double>(std::ftell(f)) / 1e6;
  std::fclose(f);
}
BENCHMARK(BM_LoadDetailPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TransformDetailPoints(benchmark::State& state) {
  ternavo::TSeznam s;
  if (!s.LoadFromFile(BigFile())) {
    state.SkipWithError("load failed");
    return;
  }
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) s.RotationMatrix->Put(i, j, i == j ? 0.9998L : 0.0123L * (i - j));
    s.ScaleMatrix->Put(i, i, 1.0000123L);
    s.TranslationVector->Put(i, 1, -123.456L * i);
  }
  for (auto _ : state) {
    ternavo::TextLines memo;
    s.TransformDetailPoints(memo);
    benchmark::DoNotOptimize(memo.Lines().data());
  }
}
BENCHMARK(BM_TransformDetailPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!gCreatedFile.empty()) std::remove(gCreatedFile.c_str());
  return 0;
}
