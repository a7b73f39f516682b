// The number type of every computation, and the guard that turns
// floating-point faults into errors.
#pragma once

#include <cfenv>
#include <limits>
#include <stdexcept>
#include <string>

namespace ternavo {

// 80-bit extended real: a 64-bit significand.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "Ternavo computes in 80-bit extended reals (64-bit significand)");

enum class FaultKind { DivisionByZero, Overflow, InvalidOperation };

// Division by zero, overflow or an invalid operation met during a computation.
class ArithmeticFault : public std::runtime_error {
 public:
  explicit ArithmeticFault(FaultKind kind);
  ArithmeticFault(FaultKind kind, const std::string& message);
  FaultKind Kind() const { return kind_; }

  // The standard Czech text of a fault kind.
  static const char* DefaultMessage(FaultKind kind);

 private:
  FaultKind kind_;
};

// The flags that count as faults; underflow and inexact results are silent.
constexpr int kFaultFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

// Watches the floating-point fault flags over one operation.
// The constructor puts aside the flags raised so far and clears them, so a
// nested operation neither sees nor hides its caller's flags; the destructor
// puts them back. Check() throws when the operation raised a fault.
// Call Check() only after the results are stored: the compiler may move a
// computation whose value is not yet used past the flag test.
class FpGuard {
 public:
  FpGuard();
  ~FpGuard();
  FpGuard(const FpGuard&) = delete;
  FpGuard& operator=(const FpGuard&) = delete;

  // Raised fault flags since construction (0 when none).
  int Raised() const;
  // Throws ArithmeticFault (or the given message) when a fault was raised.
  void Check() const;
  void Check(const char* message) const;

 private:
  std::fexcept_t saved_;
};

// Throws ArithmeticFault for the first fault flag set in `flags`, if any.
void ThrowIfFault(int flags);
void ThrowIfFault(int flags, const char* message);

}  // namespace ternavo
