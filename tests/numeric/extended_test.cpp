#include "numeric/extended.h"

#include <gtest/gtest.h>

#include <cfenv>

namespace ternavo {
namespace {

volatile long double zero = 0.0L;
volatile long double one = 1.0L;

TEST(FpGuard, ReportsEachFaultKindWithItsText) {
  struct Case {
    int flag;
    FaultKind kind;
    const char* text;
  };
  for (const Case& c :
       {Case{FE_DIVBYZERO, FaultKind::DivisionByZero, "Chyba výpočtu: dělení nulou."},
        Case{FE_OVERFLOW, FaultKind::Overflow, "Chyba výpočtu: přetečení rozsahu čísel."},
        Case{FE_INVALID, FaultKind::InvalidOperation, "Chyba výpočtu: neplatná operace."}}) {
    FpGuard guard;
    std::feraiseexcept(c.flag);
    try {
      guard.Check();
      ADD_FAILURE() << "no fault reported for " << c.text;
    } catch (const ArithmeticFault& fault) {
      EXPECT_EQ(fault.Kind(), c.kind);
      EXPECT_STREQ(fault.what(), c.text);
    }
  }
}

TEST(FpGuard, SilentFlagsAreNotFaults) {
  FpGuard guard;
  std::feraiseexcept(FE_INEXACT | FE_UNDERFLOW);
  EXPECT_NO_THROW(guard.Check());
}

TEST(FpGuard, RealDivisionByZeroIsSeen) {
  FpGuard guard;
  volatile long double result = one / zero;
  (void)result;
  EXPECT_THROW(guard.Check(), ArithmeticFault);
}

TEST(FpGuard, NestedGuardKeepsTheOuterFlags) {
  FpGuard outer;
  std::feraiseexcept(FE_DIVBYZERO);
  {
    FpGuard inner;  // starts clean ...
    EXPECT_NO_THROW(inner.Check());
  }
  // ... and hands the outer fault back.
  EXPECT_THROW(outer.Check(), ArithmeticFault);
}

TEST(FpGuard, FlagsRaisedBeforeTheGuardDoNotCount) {
  std::feraiseexcept(FE_INVALID);
  {
    FpGuard guard;
    EXPECT_NO_THROW(guard.Check());
  }
  EXPECT_NE(std::fetestexcept(FE_INVALID), 0);  // restored for whoever raised it
  std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace ternavo
