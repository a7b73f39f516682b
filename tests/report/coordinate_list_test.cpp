#include "report/coordinate_list.h"

#include <gtest/gtest.h>

#include <string>

namespace ternavo {
namespace {

TEST(CoordinateListOut, Decimals) {
  const std::pair<Extended, const char*> cases[] = {
      {1044468.5432615L, "1044468.5433"},
      {-0.00004L, "0.0000"},
      {-0.00005L, "-0.0001"},
      {9.99996L, "10.0000"},
      {0, "0.0000"},
      {2.5e-20L, "0.0000"},
  };
  for (const auto& [value, text] : cases) {
    std::string out;
    AppendDecimals(out, value, 4, '.');
    EXPECT_EQ(out, text);
  }
  std::string out;
  AppendDecimals(out, 123.456L, 0, ',');
  AppendDecimals(out, 0.1L, 12, ',');
  EXPECT_EQ(out, "1230,100000000000");
}

}  // namespace
}  // namespace ternavo
