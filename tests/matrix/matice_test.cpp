#include "matrix/matice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
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
    for (int j = 1; j <= a.Cols(); ++j)
      worst = std::max(worst, std::fabs(a.Get(i, j) - b.Get(i, j)));
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
  for (const Case& c : {Case{0, 1, false}, Case{1, 0, false}, Case{4, 1, false}, Case{1, 3, false},
                        Case{3, 2, true}}) {
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
        InverseCase{"empty", {}, true, {}}, InverseCase{"scalar", {{4}}, true, {{0.25L}}},
        InverseCase{"zero_scalar", {{0}}, false, {}},
        // The first maximum met is A(1, 2): a column interchange, undone on the rows.
        InverseCase{"swap", {{0, 1}, {1, 0}}, true, {{0, 1}, {1, 0}}},
        InverseCase{"singular", {{1, 2}, {2, 4}}, false, {}},
        // Non-singular (det -4), but the interchanges fixed in advance leave a zero pivot.
        InverseCase{"fixed_pivots_fail", {{1, 2, 0}, {0, 0, 2}, {0, 2, 0}}, false, {}},
        InverseCase{"general",
                    {{2, 1, 0}, {1, 3, 1}, {0, 1, 4}},
                    true,
                    {{11.0L / 18, -4.0L / 18, 1.0L / 18},
                     {-4.0L / 18, 8.0L / 18, -2.0L / 18},
                     {1.0L / 18, -2.0L / 18, 5.0L / 18}}},
        InverseCase{"permuted_pivots",
                    {{1, 5, 0}, {0, 0, 3}, {2, 0, 0}},
                    true,
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

// The decomposition bit for bit: a wrong sign in the shift still converges,
// to values that differ only in their last bits.
TEST(MaticeSvd, FixedNormalMatrixBitForBit) {
  auto a = Make({{91, -5, -53, 86, 16, -65, 8},
                 {-5, 252, -60, -71, 94, -16, -93},
                 {-53, -60, 234, -41, -92, 33, 114},
                 {86, -71, -41, 235, -80, -105, 24},
                 {16, 94, -92, -80, 211, 21, -33},
                 {-65, -16, 33, -105, 21, 184, -2},
                 {8, -93, 114, 24, -33, -2, 165}});
  MaticePtr w, v;
  Matice::Svd(*a, w, v);
  const Extended expectedW[7] = {0xf.1906815ec91ec9bp+5L, 0xc.5c177188aa30205p+5L,
                                 0xa.1ff65e59f3eb0b6p+4L, 0xb.3d7d8cfc75c649p+4L,
                                 0x9.b6af12be0c93dbap+3L, 0x8.6d9f43e5a65370ep+2L,
                                 0xa.06435208ff4abe9p+2L};
  const Extended expectedV[7][7] = {
      {-0xb.8f53eb8f3e33719p-9L, 0xb.6a6b2d9e6b3fd77p-5L, -0x8.b8c246f76a15725p-5L,
       -0xd.65804f919f21a4p-9L, -0xb.0b516d375e665eep-6L, -0xd.e90737c4232700cp-4L,
       -0xd.cea0646ecc37f06p-7L},
      {0x8.fb8c6b5220d53eep-4L, 0xa.093d3d1ac8fe063p-10L, 0x9.03290062bf3db7ep-8L,
       0xa.f71db0b057edbcbp-4L, -0xd.4612074a770f382p-5L, 0x8.37076a0491cbf5fp-7L,
       -0xc.69d427e3bcd9d18p-6L},
      {-0xd.9cbcac84a385eb6p-5L, -0xf.012f9a141e6ad48p-5L, -0x8.e2eea1ac06233ddp-6L,
       0xf.9e0297eba7d01afp-5L, -0x9.e88bb84619a8856p-7L, -0xd.152fb0867d4eaebp-6L,
       0x8.acb94c8ea37748bp-4L},
      {-0xa.723cc8ded575528p-5L, 0x9.f089af10a23d614p-4L, 0xa.18f26eadc6d4f29p-8L,
       -0x9.57f53a05005bbd4p-11L, -0x8.a4ad1f922533785p-4L, 0xa.20cb25c48d59dddp-5L,
       0xa.cd3b1634cc3eb43p-5L},
      {0xf.8e4269f556c666dp-5L, -0xe.c9977f3276e3b3fp-9L, -0xa.f96ace2ecdf1023p-4L,
       -0xf.f6af777186401b9p-6L, -0xa.da5f066b0d3d452p-11L, 0x9.1ad4e4d157ad04fp-6L,
       0xe.a961720ceb57f4fp-5L},
      {0xa.262b232626baa02p-7L, -0xf.c9aabad987e4ec5p-5L, 0xd.c291b3b40757534p-6L,
       -0xf.3b463a77f5cf0c8p-5L, -0xa.e207e0b184e9f24p-4L, -0xf.522085e14255f18p-7L,
       -0xb.e07c71bd5dc1371p-9L},
      {-0xc.90c9d9317e00a9p-5L, -0x9.9faf4b2524a9ddbp-6L, -0x9.f3fb0cf5878fd27p-4L,
       0xd.318f99b044626c8p-8L, -0xc.6be33005e9db5d7p-6L, 0x8.10875ceae1c3fa2p-5L,
       -0x9.397bf17c218399cp-4L}};
  for (int i = 1; i <= 7; ++i) {
    EXPECT_EQ(w->Get(i, 1), expectedW[i - 1]) << i;
    for (int j = 1; j <= 7; ++j) EXPECT_EQ(v->Get(i, j), expectedV[i - 1][j - 1]) << i << "," << j;
  }
}

// Infinities leave nothing negligible; the scan must still stay inside the
// matrix, and the fault reaches the caller.
TEST(MaticeSvd, InfiniteElementsStayInBounds) {
  NoticeRecorder notices;
  const Extended inf = std::numeric_limits<Extended>::infinity();
  auto a = Make({{inf, 1, 2}, {1, inf, 3}, {2, 3, -inf}});
  MaticePtr w, v;
  EXPECT_THROW(Matice::Svd(*a, w, v), ArithmeticFault);
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
