#include "matrix/matice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

#include "numeric/notice.h"

namespace ternavo {
namespace {

using Rows = std::vector<std::vector<Extended>>;

MaticePtr Make(const Rows& rows) {
  const auto r = static_cast<uint16_t>(rows.size());
  const auto c = static_cast<uint16_t>(rows.empty() ? 0 : rows[0].size());
  auto m = Matice::Create(r, c);
  for (int i = 1; i <= r; ++i)
    for (int j = 1; j <= c; ++j) m->Put(i, j, rows[i - 1][j - 1]);
  return m;
}

void ExpectMatrix(const Matice& m, const Rows& expected, Extended tolerance = 0) {
  ASSERT_EQ(m.Rows(), expected.size());
  for (int i = 1; i <= m.Rows(); ++i) {
    ASSERT_EQ(m.Cols(), expected[i - 1].size());
    for (int j = 1; j <= m.Cols(); ++j) {
      if (tolerance == 0) {
        EXPECT_EQ(m.Get(i, j), expected[i - 1][j - 1]) << "element (" << i << ", " << j << ")";
      } else {
        EXPECT_LE(std::fabs(m.Get(i, j) - expected[i - 1][j - 1]), tolerance)
            << "element (" << i << ", " << j << "): " << static_cast<double>(m.Get(i, j));
      }
    }
  }
}

MaticePtr RandomMatrix(std::mt19937_64& rng, int rows, int cols) {
  std::uniform_real_distribution<double> dist(-10.0, 10.0);
  auto m = Matice::Create(static_cast<uint16_t>(rows), static_cast<uint16_t>(cols));
  for (int i = 1; i <= rows; ++i)
    for (int j = 1; j <= cols; ++j) m->Put(i, j, dist(rng));
  return m;
}

Extended MaxAbsDifference(const Matice& a, const Matice& b) {
  Extended worst = 0;
  for (int i = 1; i <= a.Rows(); ++i)
    for (int j = 1; j <= a.Cols(); ++j) worst = std::max(worst, std::fabs(a.Get(i, j) - b.Get(i, j)));
  return worst;
}

// --- creation, size, access ------------------------------------------------

TEST(MaticeBasics, CreateGivesZerosAndSize) {
  auto m = Matice::Create(3, 2);
  uint16_t rows = 99, cols = 99;
  ASSERT_TRUE(m->GetSize(rows, cols));
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(cols, 2);
  ExpectMatrix(*m, {{0, 0}, {0, 0}, {0, 0}});

  auto empty = Matice::Create(0, 0);
  ASSERT_TRUE(empty->GetSize(rows, cols));
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(cols, 0);
}

TEST(MaticeBasics, GetSizeOfNilLeavesOutputs) {
  uint16_t rows = 7, cols = 8;
  EXPECT_FALSE(Matice::GetSize(nullptr, rows, cols));
  EXPECT_EQ(rows, 7);
  EXPECT_EQ(cols, 8);
  MaticePtr nil;
  Matice::Release(nil);  // must do nothing
  EXPECT_EQ(nil, nullptr);
}

TEST(MaticeBasics, CheckedAccessBounds) {
  const Rows original = {{1, 2}, {3, 4}, {5, 6}};
  auto m = Make(original);
  struct Case {
    uint16_t row, col;
    bool inside;
  };
  for (const Case& c : {Case{0, 1, false}, Case{1, 0, false}, Case{4, 1, false},
                        Case{1, 3, false}, Case{3, 2, true}}) {
    Extended value = -42;
    bool ok = !c.inside;
    EXPECT_EQ(m->TryGet(c.row, c.col, value), c.inside) << c.row << "," << c.col;
    m->GetChecked(c.row, c.col, ok);
    EXPECT_EQ(ok, c.inside);
    EXPECT_EQ(value, c.inside ? 6 : -42);  // 1-based: (3, 2) is the last element
    auto copy = m->Clone();
    EXPECT_EQ(copy->TrySet(c.row, c.col, 100), c.inside);
    EXPECT_EQ(Matice::SetChecked(*m, c.row, c.col, 100), c.inside);
    if (!c.inside) ExpectMatrix(*m, original);
    if (!c.inside) ExpectMatrix(*copy, original);
  }
  Extended value = 0;
  ASSERT_TRUE(m->TryGet(1, 2, value));
  EXPECT_EQ(value, 2);  // row-major: (1, 2) is in the first row
}

// --- elementary operations ---------------------------------------------------

TEST(MaticeElementary, ResultsAndOperandsUnchanged) {
  auto a = Make({{1, -2, 3}, {4, 5, -6}});
  auto b = Make({{10, 20, 30}, {40, 50, 60}});
  ExpectMatrix(*a->Clone(), {{1, -2, 3}, {4, 5, -6}});
  ExpectMatrix(*a->Negate(), {{-1, 2, -3}, {-4, -5, 6}});
  ExpectMatrix(*a->Scale(0.5L), {{0.5L, -1, 1.5L}, {2, 2.5L, -3}});
  ExpectMatrix(*a->Transpose(), {{1, 4}, {-2, 5}, {3, -6}});
  ExpectMatrix(*a->Add(*b), {{11, 18, 33}, {44, 55, 54}});
  ExpectMatrix(*Matice::Identity(3), {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  EXPECT_EQ(Matice::Identity(0)->Rows(), 0);
  ExpectMatrix(*a, {{1, -2, 3}, {4, 5, -6}});
  ExpectMatrix(*b, {{10, 20, 30}, {40, 50, 60}});
}

TEST(MaticeElementary, MismatchedDimensions) {
  auto a22 = Make({{1, 2}, {3, 4}});
  auto a23 = Make({{1, 2, 3}, {4, 5, 6}});
  // Add: a zero matrix with the first operand's dimensions.
  ExpectMatrix(*a22->Add(*a23), {{0, 0}, {0, 0}});
  ExpectMatrix(*a23->Add(*a22), {{0, 0, 0}, {0, 0, 0}});
  // Multiply: nothing.
  EXPECT_EQ(a23->Multiply(*a23), nullptr);
  EXPECT_EQ(a22->Multiply(*a23->Transpose()), nullptr);
  // Inner dimension 0: a zero matrix of the outer dimensions.
  auto p = Matice::Create(3, 0)->Multiply(*Matice::Create(0, 2));
  ASSERT_NE(p, nullptr);
  ExpectMatrix(*p, {{0, 0}, {0, 0}, {0, 0}});
}

TEST(MaticeElementary, MultiplyIsRowTimesColumn) {
  auto a = Make({{1, 2, 3}, {4, 5, 6}});
  auto b = Make({{7, 8}, {9, 10}, {11, 12}});
  ExpectMatrix(*a->Multiply(*b), {{58, 64}, {139, 154}});
  ExpectMatrix(*b->Multiply(*a), {{39, 54, 69}, {49, 68, 87}, {59, 82, 105}});
}

TEST(MaticeElementary, MultiplySumsInAscendingOrder) {
  // 1 + 2^-64 + (-1) rounds differently from 1 + (-1) + 2^-64: the sum runs k = 1, 2, 3.
  const Extended tiny = std::ldexp(1.0L, -64);
  auto a = Make({{1, tiny, -1}});
  auto b = Make({{1}, {1}, {1}});
  EXPECT_EQ(a->Multiply(*b)->Get(1, 1), 0);  // (1 + tiny) rounds to 1, then - 1
  auto c = Make({{1, -1, tiny}});
  EXPECT_EQ(c->Multiply(*b)->Get(1, 1), tiny);
}

TEST(MaticeElementary, OverflowIsAnError) {
  auto big = Make({{std::numeric_limits<Extended>::max()}});
  EXPECT_THROW(big->Scale(2), ArithmeticFault);
  EXPECT_THROW(big->Add(*big), ArithmeticFault);
  EXPECT_THROW(big->Multiply(*big), ArithmeticFault);
  try {
    big->Add(*big);
  } catch (const ArithmeticFault& fault) {
    EXPECT_EQ(fault.Kind(), FaultKind::Overflow);
    EXPECT_STREQ(fault.what(), "Chyba výpočtu: přetečení rozsahu čísel.");
  }
}

// --- solver and inverse ------------------------------------------------------

struct InverseCase {
  const char* name;
  Rows a;
  bool invertible;
  Rows inverse;
};

void PrintTo(const InverseCase& c, std::ostream* os) { *os << c.name; }

class MaticeInverse : public ::testing::TestWithParam<InverseCase> {};

TEST_P(MaticeInverse, GivesInverseOrNil) {
  const InverseCase& c = GetParam();
  auto a = Make(c.a);
  auto inv = a->Inverse();
  ExpectMatrix(*a, c.a);  // operand unchanged
  if (!c.invertible) {
    EXPECT_EQ(inv, nullptr);
    return;
  }
  ASSERT_NE(inv, nullptr);
  ExpectMatrix(*inv, c.inverse, 1e-15L);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MaticeInverse,
    ::testing::Values(
        InverseCase{"empty", {}, true, {}},
        InverseCase{"scalar", {{4}}, true, {{0.25L}}},
        InverseCase{"zero_scalar", {{0}}, false, {}},
        // The first maximum met is A(1, 2): a column interchange, undone on the rows.
        InverseCase{"swap", {{0, 1}, {1, 0}}, true, {{0, 1}, {1, 0}}},
        InverseCase{"singular", {{1, 2}, {2, 4}}, false, {}},
        // Non-singular (det -4), but the interchanges fixed in advance leave a zero pivot.
        InverseCase{"fixed_pivots_fail", {{1, 2, 0}, {0, 0, 2}, {0, 2, 0}}, false, {}},
        InverseCase{"general", {{2, 1, 0}, {1, 3, 1}, {0, 1, 4}}, true,
                    {{11.0L / 18, -4.0L / 18, 1.0L / 18},
                     {-4.0L / 18, 8.0L / 18, -2.0L / 18},
                     {1.0L / 18, -2.0L / 18, 5.0L / 18}}},
        InverseCase{"permuted_pivots", {{1, 5, 0}, {0, 0, 3}, {2, 0, 0}}, true,
                    {{0, 0, 0.5L}, {0.2L, 0, -0.1L}, {0, 1.0L / 3, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MaticeSolve, NotSquareChangesNothing) {
  auto a = Make({{1, 2, 3}, {4, 5, 6}});
  auto b = Make({{1}, {2}});
  EXPECT_FALSE(a->SolveInPlace(*b));
  ExpectMatrix(*a, {{1, 2, 3}, {4, 5, 6}});
  ExpectMatrix(*b, {{1}, {2}});
  EXPECT_EQ(a->Inverse(), nullptr);
}

TEST(MaticeSolve, SolvesSeveralRightHandSides) {
  auto a = Make({{0, 2, 1}, {3, 0, 0}, {1, 1, 5}});
  // X columns (1, 2, 3) and (-1, 0, 2).
  auto b = Make({{7, 2}, {3, -3}, {18, 9}});
  ASSERT_TRUE(a->SolveInPlace(*b));
  ExpectMatrix(*b, {{1, -1}, {2, 0}, {3, 2}}, 1e-17L);
}

TEST(MaticeSolve, FaultsGiveFalseNotExceptions) {
  const Extended huge = std::numeric_limits<Extended>::max() / 4;
  auto a = Make({{1e-4000L, 0}, {0, 1}});
  auto b = Make({{huge}, {1}});
  bool result = true;
  EXPECT_NO_THROW(result = a->SolveInPlace(*b));
  EXPECT_FALSE(result);
}

TEST(MaticeSolve, RandomSpdMatricesInvert) {
  std::mt19937_64 rng(12345);
  for (int n : {1, 2, 3, 5, 7, 12}) {
    auto g = RandomMatrix(rng, n + 3, n);
    auto spd = g->Transpose()->Multiply(*g);
    auto inv = spd->Inverse();
    ASSERT_NE(inv, nullptr) << n;
    auto product = spd->Multiply(*inv);
    EXPECT_LT(MaxAbsDifference(*product, *Matice::Identity(static_cast<uint16_t>(n))), 1e-12L) << n;
  }
}

TEST(MaticeSolve, RandomSingularMatricesGiveNil) {
  std::mt19937_64 rng(777);
  for (int n : {2, 3, 4, 6}) {
    // Integer entries with a repeated row: elimination reaches an exact zero pivot.
    auto m = Matice::Create(static_cast<uint16_t>(n), static_cast<uint16_t>(n));
    std::uniform_int_distribution<int> dist(-9, 9);
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j) m->Put(i, j, dist(rng));
    for (int j = 1; j <= n; ++j) m->Put(n, j, m->Get(1, j));
    EXPECT_EQ(m->Inverse(), nullptr) << n;
  }
}

// --- decomposition -----------------------------------------------------------

TEST(MaticeSvd, DiagonalSigns) {
  auto a = Make({{3, 0, 0}, {0, -2, 0}, {0, 0, 0}});
  MaticePtr w, v;
  Matice::Svd(*a, w, v);
  ExpectMatrix(*w, {{3}, {2}, {0}});
  ExpectMatrix(*v, {{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  ExpectMatrix(*a, {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}});
}

TEST(MaticeSvd, RandomMatricesReconstruct) {
  std::mt19937_64 rng(2024);
  struct Shape {
    int m, n;
  };
  for (Shape s : {Shape{1, 1}, Shape{3, 3}, Shape{6, 6}, Shape{7, 7}, Shape{5, 3}, Shape{12, 7}}) {
    NoticeRecorder notices;
    auto a = RandomMatrix(rng, s.m, s.n);
    auto u = a->Clone();
    MaticePtr w, v;
    Matice::Svd(*u, w, v);
    EXPECT_TRUE(notices.Texts().empty());
    auto d = Matice::Create(static_cast<uint16_t>(s.n), static_cast<uint16_t>(s.n));
    for (int i = 1; i <= s.n; ++i) {
      EXPECT_GE(w->Get(i, 1), 0);
      d->Put(i, i, w->Get(i, 1));
    }
    auto rebuilt = u->Multiply(*d)->Multiply(*v->Transpose());
    EXPECT_LT(MaxAbsDifference(*rebuilt, *a), 1e-14L) << s.m << "x" << s.n;
    auto vtv = v->Transpose()->Multiply(*v);
    EXPECT_LT(MaxAbsDifference(*vtv, *Matice::Identity(static_cast<uint16_t>(s.n))), 1e-15L);
  }
}

TEST(MaticeSvd, HelperFunctions) {
  EXPECT_EQ(Hypotenuse(3, 4), 5);
  EXPECT_EQ(Hypotenuse(4, 3), 5);
  EXPECT_EQ(Hypotenuse(0, 0), 0);
  EXPECT_EQ(Hypotenuse(-3, 0), 3);
  EXPECT_EQ(Hypotenuse(1e4000L, 1e4000L), 1e4000L * std::sqrt(2.0L));  // no overflow
  EXPECT_EQ(SignOf(2, -0.5), -2);
  EXPECT_EQ(SignOf(-2, 0), 2);
  EXPECT_EQ(SignOf(-2, -0.0), 2);
  EXPECT_EQ(MaxOf(1, 1), 1);
  EXPECT_EQ(MaxOf(2, 1), 2);
  EXPECT_EQ(MaxOf(1, 2), 2);
  // Both helpers work in double precision.
  EXPECT_EQ(SignOf(static_cast<double>(1.0L / 3), 1), static_cast<Extended>(1.0 / 3));
  EXPECT_NE(SignOf(static_cast<double>(1.0L / 3), 1), 1.0L / 3);
}

// --- pseudo-inverse ----------------------------------------------------------

TEST(MaticePseudoInverse, KnownResults) {
  bool ok = false;
  auto p = Make({{2, 1}, {1, 3}})->PseudoInverse(1e-15L, ok);
  ASSERT_TRUE(ok);
  ExpectMatrix(*p, {{0.6L, -0.2L}, {-0.2L, 0.4L}}, 1e-15L);

  auto q = Make({{1, 1}, {1, 1}})->PseudoInverse(1e-15L, ok);
  ASSERT_TRUE(ok);
  ExpectMatrix(*q, {{0.25L, 0.25L}, {0.25L, 0.25L}}, 1e-15L);

  auto r = Make({{1, 2}, {3, 4}, {5, 6}})->PseudoInverse(1e-15L, ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(r->Rows(), 2);
  EXPECT_EQ(r->Cols(), 3);
}

TEST(MaticePseudoInverse, NothingAboveThreshold) {
  for (Extended threshold : {0.0L, 1e-15L, 5.0L}) {
    bool ok = true;
    EXPECT_EQ(Matice::Create(3, 3)->PseudoInverse(threshold, ok), nullptr);
    EXPECT_FALSE(ok);
  }
  bool ok = true;
  EXPECT_EQ(Matice::Create(4, 0)->PseudoInverse(1e-15L, ok), nullptr);
  EXPECT_FALSE(ok);
}

TEST(MaticePseudoInverse, ThresholdIsAbsoluteAndInclusive) {
  auto d = Make({{2, 0}, {0, 0.5L}});
  bool ok = false;
  // 0.5 equals the threshold: dropped.
  auto dropped = d->PseudoInverse(0.5L, ok);
  ASSERT_TRUE(ok);
  ExpectMatrix(*dropped, {{0.5L, 0}, {0, 0}});
  // Just below 0.5: kept.
  auto kept = d->PseudoInverse(std::nextafter(0.5L, 0.0L), ok);
  ASSERT_TRUE(ok);
  ExpectMatrix(*kept, {{0.5L, 0}, {0, 2}});

  auto w = Make({{3}, {-1}, {0.25L}});
  auto r = w->ReciprocalDiagonal(0.25L, ok);
  ASSERT_TRUE(ok);
  ExpectMatrix(*r, {{1.0L / 3, 0, 0}, {0, 0, 0}, {0, 0, 0}});  // compared without abs()
  Make({{0}, {-2}})->ReciprocalDiagonal(0, ok);
  EXPECT_FALSE(ok);
  Matice::Create(0, 1)->ReciprocalDiagonal(0, ok);
  EXPECT_FALSE(ok);
}

TEST(MaticePseudoInverse, EqualsInverseOfNonSingular) {
  std::mt19937_64 rng(99);
  for (int n : {2, 4, 6, 7}) {
    auto a = RandomMatrix(rng, n, n);
    bool ok = false;
    auto p = a->PseudoInverse(1e-15L, ok);
    ASSERT_TRUE(ok);
    auto inv = a->Inverse();
    ASSERT_NE(inv, nullptr);
    EXPECT_LT(MaxAbsDifference(*p, *inv), 1e-12L) << n;
  }
}

}  // namespace
}  // namespace ternavo
