// libFuzzer target: arbitrary bytes as a coordinate file, through the whole
// computation. Built with -DTERNAVO_BUILD_FUZZ=ON and clang; run it with
// scripts/fuzz.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_pipeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The reader takes a path: one in-memory file, rewritten for every input.
  static const int fd = memfd_create("ternavo-fuzz", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0 || ftruncate(fd, 0) != 0) return 0;
  if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  ternavo::RunWholeComputation(path);
  return 0;
}
