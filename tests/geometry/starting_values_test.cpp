#include <cmath>

#include "geometry_checks.h"

namespace ternavo {
namespace {

Extended Determinant(const Matice& m) {
  auto e = [&](int i, int j) { return m.Get(i, j); };
  return e(1, 1) * (e(2, 2) * e(3, 3) - e(2, 3) * e(3, 2)) -
         e(1, 2) * (e(2, 1) * e(3, 3) - e(2, 3) * e(3, 1)) +
         e(1, 3) * (e(2, 1) * e(3, 2) - e(2, 2) * e(3, 1));
}

TEST(Frame, FirstSideThenPlaneThenNormal) {
  const TVektor o{0, 0, 0}, x{1, 0, 0};
  ExpectSameMatrix(*FrameFromPoints(o, x, TVektor{0, 1, 0}), *Matice::Identity(3), 0);
  ExpectSameMatrix(*FrameFromPoints(o, x, TVektor{5, 7, 0}), *Matice::Identity(3), 1e-19L);
  // Any triangle: an orthonormal right-handed triad with the first side as column 1.
  MaticePtr f = FrameFromPoints(TVektor{10, 20, 5}, TVektor{13, 24, 5}, TVektor{9, 25, 17});
  ExpectSameMatrix(*f->Transpose()->Multiply(*f), *Matice::Identity(3), 1e-18L);
  EXPECT_NEAR(Determinant(*f), 1, 1e-18L);
  EXPECT_NEAR(f->Get(1, 1), 0.6L, 1e-18L);
  EXPECT_NEAR(f->Get(2, 1), 0.8L, 1e-18L);
}

TEST(Frame, CoincidentOrCollinearPointsAreReported) {
  const TVektor p{1000000.1L, 2000000.2L, 300.3L};
  const TVektor q{1000000.2L, 2000000.4L, 300.6L};
  const TVektor r{1000000.4L, 2000000.8L, 301.2L};  // on the line p-q up to the decimals
  ExpectDegenerate([&] { FrameFromPoints(p, p, r); });
  ExpectDegenerate([&] { FrameFromPoints(p, q, p); });
  ExpectDegenerate([&] { FrameFromPoints(p, q, r); });
  ExpectDegenerate([] { FrameFromPoints(TVektor{0, 0, 0}, TVektor{1, 1, 1}, TVektor{3, 3, 3}); });
  ExpectDegenerate([&] { ScaleFromPoints(p, p, q, p, q, r); });
}

TEST(Scale, MeanOfSideRatiosTargetOverSource) {
  const TVektor a1{1, 0, 0}, a2{0, 1, 0}, a3{0, 0, 1};  // sides sqrt 2
  const Extended s = sqrtl(2);
  // Ratios 1, 2, 3 for the sides 1-2, 2-3, 3-1.
  EXPECT_NEAR(ScaleFromPoints(a1, a2, a3, {0, 0, 0}, {s, 0, 0}, {3 * s, 0, 0}), 2, 1e-18L);
  EXPECT_EQ(ScaleFromPoints(a1, a2, a3, {2, 0, 0}, {0, 2, 0}, {0, 0, 2}), 2);
}

TEST(Key, RecoversAGeneratedSimilarity) {
  struct Case {
    Extended omega, phi, kappa, m, t[3];
  };
  const Case cases[] = {{0.3L, -0.8L, 2.2L, 1.0003L, {1000.5L, -2000.25L, 300}},
                        {-1.2L, 3.9L, -0.1L, 0.25L, {-5, 7, 1e5L}}};
  const TVektor b[3] = {{152.3L, -88.1L, 12.7L}, {-31.4L, 250.9L, 40.2L}, {77.7L, 60.6L, -95.5L}};
  for (const Case& c : cases) {
    TVektor a[3];
    for (int i = 0; i < 3; ++i) {
      const TVektor& s = b[i];
      a[i].x = ModelX(s.x, s.y, s.z, c.m, c.omega, c.phi, c.kappa, c.t[0], c.t[1], c.t[2]);
      a[i].y = ModelY(s.x, s.y, s.z, c.m, c.omega, c.phi, c.kappa, c.t[0], c.t[1], c.t[2]);
      a[i].z = ModelZ(s.x, s.y, s.z, c.m, c.omega, c.phi, c.kappa, c.t[0], c.t[1], c.t[2]);
    }
    MaticePtr r;
    TVektor t;
    Extended m = 0;
    KeyFromThreePoints(a[0], a[1], a[2], b[0], b[1], b[2], r, t, m);
    MaticePtr expected = Matice::Create(3, 3);
    RotationFromAngles(*expected, c.omega, c.phi, c.kappa);
    ExpectSameMatrix(*r, *expected, 1e-15L);
    EXPECT_NEAR(m, c.m, 1e-15L);
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(t[i], c.t[i - 1], 1e-10L);
    Extended omega, phi, kappa;
    AnglesFromRotation(*r, omega, phi, kappa);
    EXPECT_NEAR(omega, c.omega, 1e-14L);
    EXPECT_NEAR(phi, c.phi, 1e-14L);
    EXPECT_NEAR(kappa, c.kappa, 1e-14L);
  }
}

TEST(Key, TargetEqualToSourceGivesIdentityAndKeepsROnFailure) {
  const TVektor p1{5, 1, 2}, p2{9, 4, 2}, p3{6, 8, -3};
  MaticePtr r = Matice::Create(2, 2);
  TVektor t{9, 9, 9};
  Extended m = 0;
  KeyFromThreePoints(p1, p2, p3, p1, p2, p3, r, t, m);
  ExpectSameMatrix(*r, *Matice::Identity(3), 1e-18L);
  EXPECT_EQ(m, 1);
  for (int i = 1; i <= 3; ++i) EXPECT_NEAR(t[i], 0, 1e-17L);

  Matice* before = r.get();
  ExpectDegenerate([&] { KeyFromThreePoints(p1, p2, p3, p1, p1, p3, r, t, m); });
  EXPECT_EQ(r.get(), before);
}

TEST(Orthonormalize, ColumnsInOrderAndMirrorsKept) {
  MaticePtr rot = Matice::Create(3, 3);
  RotationFromAngles(*rot, 0.4L, -1.1L, 2.6L);
  MaticePtr out;
  OrthonormalizeMatrix(*rot->Scale(2), out);
  ExpectSameMatrix(*out, *rot, 1e-18L);
  EXPECT_NEAR(MeanAxisScale(*rot->Scale(2)), 2, 1e-18L);

  MaticePtr mirror = rot->Scale(3);
  for (int i = 1; i <= 3; ++i) mirror->Put(i, 3, -mirror->Get(i, 3));
  OrthonormalizeMatrix(*mirror, out);
  EXPECT_NEAR(Determinant(*out), -1, 1e-18L);
  EXPECT_NEAR(out->Get(2, 3), -rot->Get(2, 3), 1e-18L);

  // Orthogonal columns of lengths 5, 1, 10; the rows have other lengths.
  const Extended rows[3][3] = {{3, 0, -8}, {4, 0, 6}, {0, 1, 0}};
  const Extended unit[3][3] = {{0.6L, 0, -0.8L}, {0.8L, 0, 0.6L}, {0, 1, 0}};
  EXPECT_NEAR(MeanAxisScale(*FromRows(rows)), 16.0L / 3, 1e-18L);
  OrthonormalizeMatrix(*FromRows(rows), out);
  ExpectSameMatrix(*out, *FromRows(unit), 1e-18L);
  // Gram-Schmidt in column order: a triangular matrix becomes the identity.
  const Extended triangular[3][3] = {{1, 1, 1}, {0, 1, 1}, {0, 0, 1}};
  OrthonormalizeMatrix(*FromRows(triangular), out);
  ExpectSameMatrix(*out, *Matice::Identity(3), 1e-18L);

  EXPECT_EQ(MeanAxisScale(*Matice::Create(3, 1)), 0);
  OrthonormalizeMatrix(*Matice::Create(3, 1), out);
  EXPECT_EQ(out, nullptr);
}

}  // namespace
}  // namespace ternavo
