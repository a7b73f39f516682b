// Matice: the dense matrix of extended reals on which every adjustment runs.
// Indices are 1-based; dimensions are 16-bit; a vector is an n x 1 matrix.
// Operations that return a matrix return a new one owned by the caller;
// nullptr stands for "no matrix".
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "numeric/extended.h"

namespace ternavo {

class Matice;
using MaticePtr = std::unique_ptr<Matice>;

class Matice {
 public:
  // A rows x cols matrix of zeros.
  Matice(uint16_t rows, uint16_t cols);
  static MaticePtr Create(uint16_t rows, uint16_t cols);

  // Writes both counts and returns true; for nullptr returns false and
  // leaves the outputs untouched.
  static bool GetSize(const Matice* m, uint16_t& rows, uint16_t& cols);
  bool GetSize(uint16_t& rows, uint16_t& cols) const { return GetSize(this, rows, cols); }
  uint16_t Rows() const { return rows_; }
  uint16_t Cols() const { return cols_; }

  // Frees the matrix; nullptr does nothing.
  static void Release(MaticePtr& m) { m.reset(); }

  // Unchecked access: the caller guarantees 1 <= row <= rows, 1 <= col <= cols.
  Extended Get(int32_t row, int32_t col) const {
    return data_[static_cast<std::size_t>(row - 1) * cols_ + static_cast<std::size_t>(col - 1)];
  }
  void Put(int32_t row, int32_t col, Extended value) {
    data_[static_cast<std::size_t>(row - 1) * cols_ + static_cast<std::size_t>(col - 1)] = value;
  }

  // Checked access: false (and nothing read or stored) outside the bounds.
  bool TryGet(uint16_t row, uint16_t col, Extended& value) const;
  bool TrySet(uint16_t row, uint16_t col, Extended value);
  Extended GetChecked(uint16_t row, uint16_t col, bool& ok) const;
  static bool SetChecked(Matice& m, uint16_t row, uint16_t col, Extended value);

  // Elementary operations; the operand is never changed.
  MaticePtr Clone() const;
  MaticePtr Negate() const;
  MaticePtr Scale(Extended x) const;
  static MaticePtr Identity(uint16_t n);
  MaticePtr Transpose() const;
  // Dimension mismatch: a zero matrix of this matrix's dimensions.
  MaticePtr Add(const Matice& b) const;
  // cols(this) != rows(b): nullptr.
  MaticePtr Multiply(const Matice& b) const;

  // Solves this * X = B by elimination with all interchanges fixed in advance
  // on the entry values; X replaces B, this matrix is overwritten. False when
  // the matrix is not square (nothing changed) or after an arithmetic fault.
  bool SolveInPlace(Matice& b);
  // The inverse, or nullptr when not square or not invertible by the solver.
  MaticePtr Inverse() const;

  // Singular value decomposition: a (m x n) is overwritten with U; w (n x 1)
  // and v (n x n) are created. Singular values are left unsorted.
  static void Svd(Matice& a, MaticePtr& w, MaticePtr& v);
  // Called on an n x 1 column w: diag(1 / w(i)) for w(i) > threshold, 0
  // otherwise; ok is false when every diagonal element is 0 (also for n = 0).
  MaticePtr ReciprocalDiagonal(Extended threshold, bool& ok) const;
  // V D U^T with D from ReciprocalDiagonal; nullptr and ok false when every
  // singular value is at or below the absolute threshold.
  MaticePtr PseudoInverse(Extended threshold, bool& ok) const;

  // Contiguous row-major storage, for tight loops that keep the order of
  // every operation.
  Extended* Data() { return data_.data(); }
  const Extended* Data() const { return data_.data(); }

 private:
  uint16_t rows_;
  uint16_t cols_;
  std::vector<Extended> data_;
};

// The text shown when a singular value does not converge in 30 passes.
extern const char* const kSvdNoConvergenceText;

// |a| when b >= 0 (-0 counts as >= 0), otherwise -|a|; computed in double.
// The decomposition takes these two through double as it always has: the
// rounding of its shifts and of its norm decides which values count as
// negligible, and so the last digits of every key.
Extended SignOf(double a, double b);
// a when a > b, otherwise b; computed in double.
Extended MaxOf(double a, double b);
// sqrt(a^2 + b^2) without overflow or underflow of the squares.
Extended Hypotenuse(Extended a, Extended b);

// A matrix held by value: copying copies the elements, so a class that owns
// matrices this way can leave its copying to the compiler.
class OwnedMatice {
 public:
  OwnedMatice() = default;
  OwnedMatice(MaticePtr m) : m_(std::move(m)) {}  // NOLINT: takes over a result
  OwnedMatice(const OwnedMatice& other) : m_(other.m_ ? other.m_->Clone() : nullptr) {}
  OwnedMatice(OwnedMatice&&) noexcept = default;
  OwnedMatice& operator=(const OwnedMatice& other) {
    if (this != &other) m_ = other.m_ ? other.m_->Clone() : nullptr;
    return *this;
  }
  OwnedMatice& operator=(OwnedMatice&&) noexcept = default;
  OwnedMatice& operator=(MaticePtr m) {
    m_ = std::move(m);
    return *this;
  }

  Matice* get() const { return m_.get(); }
  Matice* operator->() const { return m_.get(); }
  Matice& operator*() const { return *m_; }
  explicit operator bool() const { return m_ != nullptr; }

 private:
  MaticePtr m_;
};

}  // namespace ternavo
