#include "numeric/extended.h"

namespace ternavo {

// numeric/ is the lowest layer, below text/ and its messages header, so the
// four texts of its own fault type stay beside it.
const char* ArithmeticFault::DefaultMessage(FaultKind kind) {
  switch (kind) {
    case FaultKind::DivisionByZero: return "Chyba výpočtu: dělení nulou.";
    case FaultKind::Overflow: return "Chyba výpočtu: přetečení rozsahu čísel.";
    case FaultKind::InvalidOperation: return "Chyba výpočtu: neplatná operace.";
  }
  return "Chyba výpočtu.";
}

ArithmeticFault::ArithmeticFault(FaultKind kind)
    : std::runtime_error(DefaultMessage(kind)), kind_(kind) {}

ArithmeticFault::ArithmeticFault(FaultKind kind, const std::string& message)
    : std::runtime_error(message), kind_(kind) {}

FpGuard::FpGuard() {
  std::fegetexceptflag(&saved_, FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
}

FpGuard::~FpGuard() {
  const int raisedHere = std::fetestexcept(FE_ALL_EXCEPT);
  std::fesetexceptflag(&saved_, FE_ALL_EXCEPT);
  // Silent flags of this operation stay visible to the caller; faults were
  // either reported by Check() or deliberately handled by the operation.
  const int silent = raisedHere & (FE_INEXACT | FE_UNDERFLOW);
  if (silent != 0) {
    std::feraiseexcept(silent);
  }
}

int FpGuard::Raised() const { return std::fetestexcept(kFaultFlags); }

void FpGuard::Check() const { ThrowIfFault(Raised()); }

void FpGuard::Check(const char* message) const { ThrowIfFault(Raised(), message); }

namespace {
bool FirstFault(int flags, FaultKind& kind) {
  if (flags & FE_DIVBYZERO) {
    kind = FaultKind::DivisionByZero;
  } else if (flags & FE_INVALID) {
    kind = FaultKind::InvalidOperation;
  } else if (flags & FE_OVERFLOW) {
    kind = FaultKind::Overflow;
  } else {
    return false;
  }
  return true;
}
}  // namespace

void ThrowIfFault(int flags) {
  FaultKind kind;
  if (FirstFault(flags, kind)) {
    throw ArithmeticFault(kind);
  }
}

void ThrowIfFault(int flags, const char* message) {
  FaultKind kind;
  if (FirstFault(flags, kind)) {
    throw ArithmeticFault(kind, message);
  }
}

}  // namespace ternavo
