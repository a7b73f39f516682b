// Coordinate lists at scale: a source list of a million points, a thousand of
// them in the target list, read and paired; then the million transformed
// points written as a coordinate list. Prints wall times and the peak
// resident memory of the process. The lists are made in /tmp and removed.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "adjustment/point_list.h"
#include "report/coordinate_list.h"

namespace {

constexpr int kSourcePoints = 1000000;
constexpr int kTargetPoints = 1000;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

}  // namespace

int main() {
  using namespace ternavo;
  const std::string stem = "/tmp/ternavo_bench_lists_" + std::to_string(::getpid());
  const std::string source = stem + "_source.csv", target = stem + "_target.csv";
  {
    // Cadastral style: 12-digit names, ";", decimal comma, Y X Z, a heading.
    std::FILE* s = std::fopen(source.c_str(), "wb");
    std::FILE* t = std::fopen(target.c_str(), "wb");
    std::mt19937_64 rng(23);
    std::uniform_int_distribution<long> mm(0, 999999999);
    std::fputs("Číslo bodu;Y;X;Z;Kód\r\n", s);
    std::fputs("Číslo bodu;Y;X;Z;Kód\r\n", t);
    const int every = kSourcePoints / kTargetPoints;
    for (int j = 0; j < kSourcePoints; ++j) {
      const long x = mm(rng), y = mm(rng), z = mm(rng) % 1000000;
      std::fprintf(s, "6001100%05d;%ld,%03ld;%ld,%03ld;%ld,%03ld;1\r\n", j, y / 1000, y % 1000,
                   x / 1000, x % 1000, z / 1000, z % 1000);
      if (j % every == 0) {
        std::fprintf(t, "6001100%05d;%ld,%03ld;%ld,%03ld;%ld,%03ld;ZPMZ\r\n", j, 700000 + y / 1000,
                     y % 1000, 1000000 + x / 1000, x % 1000, z / 1000, z % 1000);
      }
    }
    std::fclose(s);
    std::fclose(t);
  }
  std::printf("lists made, peak %ld MB\n", PeakMegabytes());

  auto start = std::chrono::steady_clock::now();
  TSeznam seznam;
  PairingSummary summary;
  ListConventions conventions;
  {
    PointList s, t;
    if (!ReadPointList(source, {}, s).Loaded || !ReadPointList(target, {}, t).Loaded) return 1;
    summary = PairPointLists(s, t, seznam);
    conventions = t.Conventions;
  }
  std::printf("read and paired: %.3f s, %d pairs, %d detail points, peak %ld MB\n", Seconds(start),
              summary.Pairs, summary.Detail, PeakMegabytes());

  // A similarity-like key: a small rotation, a shift.
  seznam.RotationMatrix->Put(1, 1, 0.9999L);
  seznam.RotationMatrix->Put(1, 2, 0.0141L);
  seznam.RotationMatrix->Put(2, 1, -0.0141L);
  seznam.RotationMatrix->Put(2, 2, 0.9999L);
  seznam.RotationMatrix->Put(3, 3, 1);
  for (int i = 1; i <= 3; ++i) seznam.ScaleMatrix->Put(i, i, 1.0000123L);
  seznam.TranslationVector->Put(1, 1, 1000000.25L);
  seznam.TranslationVector->Put(2, 1, 700000.5L);
  seznam.KeyValid = true;
  start = std::chrono::steady_clock::now();
  std::string bytes, error;
  if (!TransformedPointsList(seznam, conventions, 4, bytes, error)) return 1;
  const double render = Seconds(start);
  const std::string out = stem + "_out.csv";
  std::FILE* f = std::fopen(out.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  std::printf(
      "points out: %.3f s rendered, %.3f s with the file written (%zu bytes), peak %ld MB\n",
      render, Seconds(start), bytes.size(), PeakMegabytes());
  std::remove(source.c_str());
  std::remove(target.c_str());
  std::remove(out.c_str());
  return 0;
}
