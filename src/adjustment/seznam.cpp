// TSeznam: life cycle, counts, resizing, leave-one-out stepping and the
// choice of the suspicious point.
#include "adjustment/seznam.h"

#include <stdexcept>

namespace ternavo {

const char* const kTooFewPointsNotice = "Málo identických bodů.";
const char* const kSingularAffineNotice =
    "Afinní klíč nelze určit: identické body leží v jedné rovině nebo na přímce.";
const char* const kTooManyPointsNotice =
    "Příliš mnoho použitých identických bodů: výpočet zvládne nejvýše 21845 bodů.";

TSeznam::TSeznam()
    : RotationMatrix(Matice::Create(3, 3)),
      ScaleMatrix(Matice::Create(3, 3)),
      TranslationVector(Matice::Create(3, 1)) {}

TSeznam::~TSeznam() {
  IdenticalPoints.clear();
  DetailPoints.clear();
  Matice::Release(RotationMatrix);
  Matice::Release(ScaleMatrix);
  Matice::Release(TranslationVector);
}

namespace {
MaticePtr CloneOrNull(const MaticePtr& m) { return m ? m->Clone() : nullptr; }
}  // namespace

TSeznam::TSeznam(const TSeznam& other)
    : IdenticalPoints(other.IdenticalPoints),
      DetailPoints(other.DetailPoints),
      RotationMatrix(CloneOrNull(other.RotationMatrix)),
      ScaleMatrix(CloneOrNull(other.ScaleMatrix)),
      TranslationVector(CloneOrNull(other.TranslationVector)),
      M0(other.M0),
      KeyValid(other.KeyValid),
      Omega(other.Omega),
      Phi(other.Phi),
      Kappa(other.Kappa),
      TranslationX(other.TranslationX),
      TranslationY(other.TranslationY),
      TranslationZ(other.TranslationZ),
      Scale(other.Scale),
      IterM0(other.IterM0),
      IterOmega(other.IterOmega),
      IterPhi(other.IterPhi),
      IterKappa(other.IterKappa),
      IterTranslationX(other.IterTranslationX),
      IterTranslationY(other.IterTranslationY),
      IterTranslationZ(other.IterTranslationZ),
      IterScale(other.IterScale),
      LeftOutIndex(other.LeftOutIndex) {}

TSeznam& TSeznam::operator=(const TSeznam& other) {
  if (this == &other) return *this;
  // Copy into a temporary first so a failed allocation leaves this intact.
  TSeznam copy(other);
  IdenticalPoints = std::move(copy.IdenticalPoints);
  DetailPoints = std::move(copy.DetailPoints);
  RotationMatrix = std::move(copy.RotationMatrix);
  ScaleMatrix = std::move(copy.ScaleMatrix);
  TranslationVector = std::move(copy.TranslationVector);
  M0 = copy.M0;
  KeyValid = copy.KeyValid;
  Omega = copy.Omega;
  Phi = copy.Phi;
  Kappa = copy.Kappa;
  TranslationX = copy.TranslationX;
  TranslationY = copy.TranslationY;
  TranslationZ = copy.TranslationZ;
  Scale = copy.Scale;
  IterM0 = copy.IterM0;
  IterOmega = copy.IterOmega;
  IterPhi = copy.IterPhi;
  IterKappa = copy.IterKappa;
  IterTranslationX = copy.IterTranslationX;
  IterTranslationY = copy.IterTranslationY;
  IterTranslationZ = copy.IterTranslationZ;
  IterScale = copy.IterScale;
  LeftOutIndex = copy.LeftOutIndex;
  return *this;
}

int32_t TSeznam::GetIdenticalCount() const {
  return static_cast<int32_t>(IdenticalPoints.size());
}

int32_t TSeznam::GetDetailCount() const { return static_cast<int32_t>(DetailPoints.size()); }

int32_t TSeznam::GetUsedCount() const {
  int32_t used = 0;
  for (const TIdentickyBod& p : IdenticalPoints) {
    if (p.Used) ++used;
  }
  return used;
}

void TSeznam::SetIdenticalCount(int32_t n) {
  if (n < 0) throw std::out_of_range("SetIdenticalCount: negative count");
  // resize value-initialises the added records: every field zero, every flag false.
  IdenticalPoints.resize(static_cast<std::size_t>(n));
}

void TSeznam::SetDetailCount(int32_t n) {
  if (n < 0) throw std::out_of_range("SetDetailCount: negative count");
  DetailPoints.resize(static_cast<std::size_t>(n));
}

void TSeznam::LeaveOut(int32_t index) {
  if (LeftOutIndex >= 0 && LeftOutIndex < GetIdenticalCount()) {
    IdenticalPoints[static_cast<std::size_t>(LeftOutIndex)].Used = true;
  }
  if (index >= 0) {
    IdenticalPoints.at(static_cast<std::size_t>(index)).Used = false;
    LeftOutIndex = index;
  } else {
    LeftOutIndex = -1;
  }
}

bool TSeznam::LeaveOutFirst() {
  LeaveOut(-1);
  const int32_t count = GetIdenticalCount();
  for (int32_t i = 0; i < count; ++i) {
    if (IdenticalPoints[static_cast<std::size_t>(i)].Used) {
      LeaveOut(i);
      return true;
    }
  }
  return false;
}

bool TSeznam::LeaveOutNext() {
  const int32_t i = LeftOutIndex;
  const int32_t count = GetIdenticalCount();
  // The last point stays left out: the caller restores it.
  if (i >= count - 1) return false;
  LeaveOut(-1);
  for (int32_t j = i + 1; j < count; ++j) {
    if (IdenticalPoints[static_cast<std::size_t>(j)].Used) {
      LeaveOut(j);
      return true;
    }
  }
  return false;
}

int32_t TSeznam::FindSuspiciousPoint() const {
  Extended best = 2147483647.0L;
  int32_t result = -1;
  const int32_t count = GetIdenticalCount();
  for (int32_t i = 0; i < count; ++i) {
    const TIdentickyBod& p = IdenticalPoints[static_cast<std::size_t>(i)];
    if (p.Used && p.M0WithoutValid && p.M0Without < best) {
      best = p.M0Without;
      result = i;
    }
  }
  return result;
}

}  // namespace ternavo
