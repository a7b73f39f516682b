// Small checks shared by the geometry tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "geometry/geometry.h"

namespace ternavo {

inline MaticePtr FromRows(const Extended (&e)[3][3]) {
  MaticePtr r = Matice::Create(3, 3);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) r->Put(i, j, e[i - 1][j - 1]);
  return r;
}

inline void ExpectSameMatrix(const Matice& a, const Matice& b, Extended tol) {
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(a.Get(i, j), b.Get(i, j), tol) << i << "," << j;
}

inline void ExpectDegenerate(const std::function<void()>& call) {
  try {
    call();
    ADD_FAILURE() << "no exception";
  } catch (const ArithmeticFault& e) {
    EXPECT_EQ(e.Kind(), FaultKind::DivisionByZero);
    EXPECT_STREQ(e.what(), "Identické body splývají nebo leží na přímce.");
  }
}

}  // namespace ternavo
