// Extended values kept as two doubles, for the inner loops of the keys.
//
// On x87 an 80-bit load or store costs several additions, while two double
// loads and an addition are cheap. The loops of the keys read the same few
// values many times, so they keep them split. Splitting is exact for every
// value the keys meet in practice; where it is not (or where making the
// values raised a fault), the caller makes them again as plain extended
// values, so the results never depend on the split.
//
// The x87 assembly below only pins where the compiler puts the operations;
// the portable branch does the same operations and gives the same bits.
// Configure with -DTERNAVO_X87_ASM=OFF to build that branch on x86 (CI does,
// and runs the equality tests there).
#pragma once

#include <cfenv>

#include "numeric/extended.h"

// Extended is the x87 80-bit format and the compiler takes GNU x87 asm.
#if !defined(TERNAVO_NO_X87_ASM) && defined(__GNUC__) && \
    (defined(__x86_64__) || defined(__i386__)) && __LDBL_MANT_DIG__ == 64
#define TERNAVO_X87_ASM 1
#endif

namespace ternavo {

// An extended value kept as the sum of two doubles, hi (the value rounded to
// double) and lo (the rest, at most 11 significant bits): hi + lo gives the
// value back exactly. Exact for every finite value within the double range
// whose rest is not below it (the split raises the overflow or underflow
// flag otherwise). A value equal to its hi keeps lo = -0, so that hi + lo
// keeps the sign of a zero.
struct SplitValue {
  double hi;
  double lo;
};

// Flags that make split values unusable: a fault, or a value that did not
// split exactly (it raises overflow or underflow).
inline constexpr int kSplitSpoilers = kFaultFlags | FE_UNDERFLOW;

inline Extended ValueOf(Extended v) { return v; }
inline Extended ValueOf(const SplitValue& v) {
  return static_cast<Extended>(v.hi) + static_cast<Extended>(v.lo);
}

inline void StoreValue(Extended& to, Extended v) { to = v; }
inline void StoreValue(SplitValue& to, Extended v) {
#ifdef TERNAVO_X87_ASM
  // The operations of the portable branch, written out: hi is rounded on
  // its way to memory and read back from there, and lo goes to memory
  // straight from the x87 register, where the compiler's own code passes
  // both halves through vector registers on the way.
  asm("fstl %0\n\tfsubrl %0\n\tfchs\n\tfstpl %1" : "=m"(to.hi), "=m"(to.lo) : "t"(v) : "st");
#else
  const double hi = static_cast<double>(v);
  to.hi = hi;
  to.lo = static_cast<double>(-(hi - v));
#endif
}

// A split value read where it is used. ValueOf lets the compiler rebuild a
// loop's constant once, outside the loop, and read it back from an 80-bit
// spill slot at every pass; here the rebuild stays where it is written. It
// rounds as hi + lo does.
inline Extended Operand(Extended v) { return v; }
inline Extended Operand(const SplitValue& v) {
#ifdef TERNAVO_X87_ASM
  Extended r;
  asm volatile("fldl %1\n\tfaddl %2" : "=t"(r) : "m"(v.hi), "m"(v.lo));
  return r;
#else
  return ValueOf(v);
#endif
}

// Runs `make`, which stores split values, with the caller's flags put
// aside. True when it raised no fault and every value split exactly; on
// false the caller makes the values again as extended ones, which raises
// any fault where it belongs.
template <class Make>
[[gnu::always_inline]] inline bool SplitCleanly(Make&& make) {
  FpGuard probe;
  make();
  return std::fetestexcept(kSplitSpoilers) == 0;
}

}  // namespace ternavo
