// Inputs that once broke the program, run through the fuzz target's path:
// none may crash, throw or (under the sanitizers) touch memory it must not.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_pipeline.h"

namespace ternavo {
namespace {

TEST(FuzzCorpus, EveryKeptInputRunsThrough) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry :
       std::filesystem::directory_iterator(TERNAVO_SOURCE_DIR "/tests/data/fuzz_corpus")) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    EXPECT_NO_THROW(RunWholeComputation(file.string())) << file.filename();
  }
  // Only a complete coordinate file loads.
  EXPECT_FALSE(RunWholeComputation(TERNAVO_SOURCE_DIR
                                   "/tests/data/fuzz_corpus/seven_announced_four_present.txt"));
  EXPECT_TRUE(RunWholeComputation(TERNAVO_SOURCE_DIR "/tests/data/fuzz_corpus/exact_data.txt"));
}

}  // namespace
}  // namespace ternavo
