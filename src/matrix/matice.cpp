#include "matrix/matice.h"

#include <cmath>
#include <utility>

#include "numeric/notice.h"

namespace ternavo {

const char* const kSvdNoConvergenceText = "no convergence in 30 SVDCMP iterations";

// ---------------------------------------------------------------------------
// Creation, size, element access

Matice::Matice(uint16_t rows, uint16_t cols)
    : rows_(rows), cols_(cols), data_(static_cast<std::size_t>(rows) * cols, Extended(0)) {}

MaticePtr Matice::Create(uint16_t rows, uint16_t cols) {
  return std::make_unique<Matice>(rows, cols);
}

bool Matice::GetSize(const Matice* m, uint16_t& rows, uint16_t& cols) {
  if (m == nullptr) return false;
  rows = m->rows_;
  cols = m->cols_;
  return true;
}

bool Matice::TryGet(uint16_t row, uint16_t col, Extended& value) const {
  if (row == 0 || col == 0 || row > rows_ || col > cols_) return false;
  value = Get(row, col);
  return true;
}

bool Matice::TrySet(uint16_t row, uint16_t col, Extended value) {
  if (row == 0 || col == 0 || row > rows_ || col > cols_) return false;
  Put(row, col, value);
  return true;
}

Extended Matice::GetChecked(uint16_t row, uint16_t col, bool& ok) const {
  Extended value = 0;
  ok = TryGet(row, col, value);
  return value;
}

bool Matice::SetChecked(Matice& m, uint16_t row, uint16_t col, Extended value) {
  return m.TrySet(row, col, value);
}

// ---------------------------------------------------------------------------
// Elementary operations: result first, then rows outer, columns inner.

MaticePtr Matice::Clone() const {
  auto r = Create(rows_, cols_);
  r->data_ = data_;
  return r;
}

MaticePtr Matice::Negate() const {
  auto r = Create(rows_, cols_);
  const std::size_t size = data_.size();
  for (std::size_t k = 0; k < size; ++k) r->data_[k] = -data_[k];
  return r;
}

MaticePtr Matice::Scale(Extended x) const {
  FpGuard guard;
  auto r = Create(rows_, cols_);
  const std::size_t size = data_.size();
  for (std::size_t k = 0; k < size; ++k) r->data_[k] = x * data_[k];
  guard.Check();
  return r;
}

MaticePtr Matice::Identity(uint16_t n) {
  auto r = Create(n, n);
  for (int32_t i = 1; i <= n; ++i) r->Put(i, i, 1);
  return r;
}

MaticePtr Matice::Transpose() const {
  auto r = Create(cols_, rows_);
  for (int32_t i = 1; i <= cols_; ++i)
    for (int32_t j = 1; j <= rows_; ++j) r->Put(i, j, Get(j, i));
  return r;
}

MaticePtr Matice::Add(const Matice& b) const {
  auto r = Create(rows_, cols_);
  if (rows_ != b.rows_ || cols_ != b.cols_) return r;
  FpGuard guard;
  const std::size_t size = data_.size();
  for (std::size_t k = 0; k < size; ++k) r->data_[k] = data_[k] + b.data_[k];
  guard.Check();
  return r;
}

MaticePtr Matice::Multiply(const Matice& b) const {
  if (cols_ != b.rows_) return nullptr;
  FpGuard guard;
  auto r = Create(rows_, b.cols_);
  const int32_t n = cols_;
  const int32_t p = b.cols_;
  const Extended* a = data_.data();
  const Extended* bd = b.data_.data();
  Extended* out = r->data_.data();
  for (int32_t i = 0; i < rows_; ++i) {
    const Extended* arow = a + static_cast<std::size_t>(i) * n;
    for (int32_t j = 0; j < p; ++j) {
      Extended sum = 0;
      for (int32_t k = 0; k < n; ++k) sum += arow[k] * bd[static_cast<std::size_t>(k) * p + j];
      out[static_cast<std::size_t>(i) * p + j] = sum;
    }
  }
  guard.Check();
  return r;
}

// ---------------------------------------------------------------------------
// Solver and inverse

namespace {

void SwapRows(Matice& m, int32_t r1, int32_t r2) {
  if (r1 == r2) return;
  for (int32_t j = 1; j <= m.Cols(); ++j) {
    const Extended t = m.Get(r1, j);
    m.Put(r1, j, m.Get(r2, j));
    m.Put(r2, j, t);
  }
}

void SwapCols(Matice& m, int32_t c1, int32_t c2) {
  if (c1 == c2) return;
  for (int32_t i = 1; i <= m.Rows(); ++i) {
    const Extended t = m.Get(i, c1);
    m.Put(i, c1, m.Get(i, c2));
    m.Put(i, c2, t);
  }
}

}  // namespace

bool Matice::SolveInPlace(Matice& b) {
  if (rows_ != cols_) return false;
  const int32_t n = rows_;
  const int32_t p = b.cols_;
  Matice order(1, static_cast<uint16_t>(n));
  for (int32_t j = 1; j <= n; ++j) order.Put(1, j, j);

  // Every interchange is fixed on the entry values; no elimination yet.
  // The pivots are the largest entries of the matrix as given, not of the
  // partly eliminated one: that is how the solver has always chosen them,
  // and another choice would round differently.
  int32_t pr = 0;
  int32_t pc = 0;
  for (int32_t t = 1; t <= n; ++t) {
    Extended runningMax = 0;
    for (int32_t i = t; i <= n; ++i) {
      for (int32_t j = t; j <= n; ++j) {
        const Extended value = Get(i, j);
        if (std::fabs(value) > std::fabs(runningMax)) {
          runningMax = value;
          pr = i;
          pc = j;
        }
      }
    }
    if (pr == 0) continue;  // nothing non-zero met yet: no position to use
    SwapRows(*this, pr, t);
    SwapRows(b, pr, t);
    SwapCols(*this, pc, t);
    const Extended t1 = order.Get(1, t);
    order.Put(1, t, order.Get(1, pc));
    order.Put(1, pc, t1);
  }

  // Elimination, back-substitution and reordering: any fault ends in false.
  FpGuard guard;
  for (int32_t t = 1; t <= n - 1; ++t) {
    for (int32_t i = t; i <= n; ++i) {
      const Extended r = Get(i, t);
      if (r == 0) continue;
      for (int32_t j = t; j <= n; ++j) Put(i, j, Get(i, j) / r);
      for (int32_t j = 1; j <= p; ++j) b.Put(i, j, b.Get(i, j) / r);
    }
    for (int32_t i = t + 1; i <= n; ++i) {
      if (Get(i, t) == 0) continue;
      for (int32_t j = 1; j <= n; ++j) Put(i, j, Get(i, j) - Get(t, j));
      for (int32_t j = 1; j <= p; ++j) b.Put(i, j, b.Get(i, j) - b.Get(t, j));
    }
    if (guard.Raised() != 0) return false;
  }
  for (int32_t i = n; i >= 1; --i) {
    for (int32_t e = 1; e <= p; ++e) {
      Extended s = b.Get(i, e);
      for (int32_t k = n; k >= i + 1; --k) s -= Get(i, k) * b.Get(k, e);
      b.Put(i, e, s / Get(i, i));
    }
    if (guard.Raised() != 0) return false;
  }
  for (int32_t i = 1; i <= n; ++i) {
    int32_t q = 1;
    while (q <= n && order.Get(1, q) != i) ++q;
    if (q > n) return false;  // cannot happen: the order is a permutation
    SwapRows(b, i, q);
    const Extended t1 = order.Get(1, i);
    order.Put(1, i, order.Get(1, q));
    order.Put(1, q, t1);
  }
  return guard.Raised() == 0;
}

MaticePtr Matice::Inverse() const {
  uint16_t rows = 0;
  uint16_t cols = 0;
  GetSize(rows, cols);
  if (rows != cols) return nullptr;
  auto b = Identity(rows);
  auto work = Clone();
  if (!work->SolveInPlace(*b)) return nullptr;
  return b;
}

// ---------------------------------------------------------------------------
// Singular value decomposition and pseudo-inverse

Extended SignOf(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

Extended MaxOf(double a, double b) { return a > b ? a : b; }

Extended Hypotenuse(Extended a, Extended b) {
  const Extended p = std::fabs(a);
  const Extended q = std::fabs(b);
  if (p > q) {
    const Extended r = q / p;
    return p * std::sqrt(1 + r * r);
  }
  if (q == 0) return 0;
  const Extended r = p / q;
  return q * std::sqrt(1 + r * r);
}

namespace {

// Rotates columns p and q of m (rows 1..rows) by (rc, rs).
void RotateColumns(Matice& m, int32_t rows, int32_t p, int32_t q, Extended rc, Extended rs) {
  for (int32_t r = 1; r <= rows; ++r) {
    const Extended a = m.Get(r, p);
    const Extended b = m.Get(r, q);
    m.Put(r, p, a * rc + b * rs);
    m.Put(r, q, b * rc - a * rs);
  }
}

}  // namespace

// The Golub-Reinsch algorithm: Householder reduction to bidiagonal form,
// accumulation of the transformations, then implicitly shifted QR steps on
// the bidiagonal form (G. H. Golub, C. Reinsch, "Singular value
// decomposition and least squares solutions", Numer. Math. 14 (1970)
// 403-420). A = U W V^T: U overwrites a, W and V are returned.
void Matice::Svd(Matice& a, MaticePtr& wOut, MaticePtr& vOut) {
  FpGuard guard;
  const int32_t m = a.Rows();
  const int32_t n = a.Cols();
  auto w = Create(static_cast<uint16_t>(n), 1);
  auto v = Create(static_cast<uint16_t>(n), static_cast<uint16_t>(n));
  Matice e(static_cast<uint16_t>(n), 1);
  Matice& W = *w;
  Matice& V = *v;
  Matice& A = a;

  Extended g = 0;
  Extended scale = 0;
  Extended anorm = 0;
  Extended s = 0;
  Extended f = 0;
  Extended h = 0;
  const auto negligible = [&anorm](Extended x) { return std::fabs(x) + anorm == anorm; };

  // Householder reduction to bidiagonal form.
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t l = i + 1;
    e.Put(i, 1, scale * g);
    g = 0;
    s = 0;
    scale = 0;
    if (i <= m) {
      for (int32_t k = i; k <= m; ++k) scale += std::fabs(A.Get(k, i));
      if (scale != 0) {
        for (int32_t k = i; k <= m; ++k) {
          A.Put(k, i, A.Get(k, i) / scale);
          s += A.Get(k, i) * A.Get(k, i);
        }
        f = A.Get(i, i);
        g = -SignOf(static_cast<double>(std::sqrt(s)), static_cast<double>(f));
        h = f * g - s;
        A.Put(i, i, f - g);
        for (int32_t j = l; j <= n; ++j) {
          Extended sum = 0;
          for (int32_t k = i; k <= m; ++k) sum += A.Get(k, i) * A.Get(k, j);
          const Extended t = sum / h;
          for (int32_t k = i; k <= m; ++k) A.Put(k, j, A.Get(k, j) + t * A.Get(k, i));
        }
        for (int32_t k = i; k <= m; ++k) A.Put(k, i, A.Get(k, i) * scale);
      }
    }
    W.Put(i, 1, scale * g);
    g = 0;
    s = 0;
    scale = 0;
    if (i <= m && i != n) {
      for (int32_t k = l; k <= n; ++k) scale += std::fabs(A.Get(i, k));
      if (scale != 0) {
        for (int32_t k = l; k <= n; ++k) {
          A.Put(i, k, A.Get(i, k) / scale);
          s += A.Get(i, k) * A.Get(i, k);
        }
        f = A.Get(i, l);
        g = -SignOf(static_cast<double>(std::sqrt(s)), static_cast<double>(f));
        h = f * g - s;
        A.Put(i, l, f - g);
        for (int32_t k = l; k <= n; ++k) e.Put(k, 1, A.Get(i, k) / h);
        for (int32_t j = l; j <= m; ++j) {
          Extended t = 0;
          for (int32_t k = l; k <= n; ++k) t += A.Get(j, k) * A.Get(i, k);
          for (int32_t k = l; k <= n; ++k) A.Put(j, k, A.Get(j, k) + t * e.Get(k, 1));
        }
        for (int32_t k = l; k <= n; ++k) A.Put(i, k, A.Get(i, k) * scale);
      }
    }
    anorm = MaxOf(static_cast<double>(anorm),
                  static_cast<double>(std::fabs(W.Get(i, 1)) + std::fabs(e.Get(i, 1))));
  }

  // Accumulation of the right-hand transformations.
  {
    int32_t l = n + 1;
    for (int32_t i = n; i >= 1; --i) {
      if (i < n) {
        if (g != 0) {
          for (int32_t j = l; j <= n; ++j) V.Put(j, i, (A.Get(i, j) / A.Get(i, l)) / g);
          for (int32_t j = l; j <= n; ++j) {
            Extended t = 0;
            for (int32_t k = l; k <= n; ++k) t += A.Get(i, k) * V.Get(k, j);
            for (int32_t k = l; k <= n; ++k) V.Put(k, j, V.Get(k, j) + t * V.Get(k, i));
          }
        }
        for (int32_t j = l; j <= n; ++j) {
          V.Put(i, j, 0);
          V.Put(j, i, 0);
        }
      }
      V.Put(i, i, 1);
      g = e.Get(i, 1);
      l = i;
    }
  }

  // Accumulation of the left-hand transformations.
  for (int32_t i = (m < n ? m : n); i >= 1; --i) {
    const int32_t l = i + 1;
    g = W.Get(i, 1);
    for (int32_t j = l; j <= n; ++j) A.Put(i, j, 0);
    if (g != 0) {
      g = 1 / g;
      for (int32_t j = l; j <= n; ++j) {
        Extended sum = 0;
        for (int32_t k = l; k <= m; ++k) sum += A.Get(k, i) * A.Get(k, j);
        f = (sum / A.Get(i, i)) * g;
        for (int32_t k = i; k <= m; ++k) A.Put(k, j, A.Get(k, j) + f * A.Get(k, i));
      }
      for (int32_t j = i; j <= m; ++j) A.Put(j, i, A.Get(j, i) * g);
    } else {
      for (int32_t j = i; j <= m; ++j) A.Put(j, i, 0);
    }
    A.Put(i, i, A.Get(i, i) + 1);
  }

  // Diagonalisation of the bidiagonal form.
  for (int32_t k = n; k >= 1; --k) {
    for (int32_t pass = 1; pass <= 30; ++pass) {
      bool cancel = true;
      int32_t l = k;
      for (; l >= 1; --l) {
        // E(1) is always 0, so the scan ends at l = 1 even when a NaN in
        // anorm makes nothing negligible; W(0) and column 0 are never touched.
        if (l == 1 || negligible(e.Get(l, 1))) {
          cancel = false;
          break;
        }
        if (l >= 2 && negligible(W.Get(l - 1, 1))) break;
      }
      if (cancel) {
        Extended rc = 0;
        Extended rs = 1;
        for (int32_t i = l; i <= k; ++i) {
          f = rs * e.Get(i, 1);
          e.Put(i, 1, rc * e.Get(i, 1));
          if (negligible(f)) break;
          g = W.Get(i, 1);
          h = Hypotenuse(f, g);
          W.Put(i, 1, h);
          h = 1 / h;
          rc = g * h;
          rs = -(f * h);
          RotateColumns(A, m, l - 1, i, rc, rs);
        }
      }
      Extended z = W.Get(k, 1);
      if (l == k) {
        if (z < 0) {
          W.Put(k, 1, -z);
          for (int32_t j = 1; j <= n; ++j) V.Put(j, k, -V.Get(j, k));
        }
        break;
      }
      if (pass == 30) {
        ShowNotice(kSvdNoConvergenceText);
      }
      Extended x = W.Get(l, 1);
      Extended y = W.Get(k - 1, 1);
      g = e.Get(k - 1, 1);
      h = e.Get(k, 1);
      f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2 * h * y);
      g = Hypotenuse(f, 1);
      f = ((x - z) * (x + z) +
           h * (y / (f + SignOf(static_cast<double>(g), static_cast<double>(f))) - h)) /
          x;
      Extended rc = 1;
      Extended rs = 1;
      for (int32_t j = l; j <= k - 1; ++j) {
        const int32_t i = j + 1;
        g = e.Get(i, 1);
        y = W.Get(i, 1);
        h = rs * g;
        g = rc * g;
        z = Hypotenuse(f, h);
        e.Put(j, 1, z);
        rc = f / z;
        rs = h / z;
        f = x * rc + g * rs;
        g = g * rc - x * rs;
        h = y * rs;
        y = y * rc;
        RotateColumns(V, n, j, i, rc, rs);
        z = Hypotenuse(f, h);
        W.Put(j, 1, z);
        if (z != 0) {
          z = 1 / z;
          rc = f * z;
          rs = h * z;
        }
        f = rc * g + rs * y;
        x = rc * y - rs * g;
        RotateColumns(A, m, j, i, rc, rs);
      }
      e.Put(l, 1, 0);
      e.Put(k, 1, f);
      W.Put(k, 1, x);
    }
  }
  guard.Check();
  wOut = std::move(w);
  vOut = std::move(v);
}

MaticePtr Matice::ReciprocalDiagonal(Extended threshold, bool& ok) const {
  FpGuard guard;
  const int32_t n = rows_;
  auto d = Create(static_cast<uint16_t>(n), static_cast<uint16_t>(n));
  int32_t dropped = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const Extended wi = Get(i, 1);
    if (wi <= threshold) {
      ++dropped;
    } else {
      d->Put(i, i, 1 / wi);
    }
  }
  guard.Check();
  ok = dropped != n;
  return d;
}

MaticePtr Matice::PseudoInverse(Extended threshold, bool& ok) const {
  auto u = Clone();
  MaticePtr w;
  MaticePtr v;
  Svd(*u, w, v);
  auto d = w->ReciprocalDiagonal(threshold, ok);
  if (!ok) return nullptr;
  auto t = v->Multiply(*d);
  auto s = u->Transpose();
  return t->Multiply(*s);
}

}  // namespace ternavo
