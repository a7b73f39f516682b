// TSeznam: life cycle, counts, resizing, leave-one-out stepping and the
// choice of the suspicious point.
#include "adjustment/seznam.h"

#include <stdexcept>

namespace ternavo {

TSeznam::TSeznam()
    : RotationMatrix(Matice::Create(3, 3)),
      ScaleMatrix(Matice::Create(3, 3)),
      TranslationVector(Matice::Create(3, 1)) {}

int32_t TSeznam::GetIdenticalCount() const { return static_cast<int32_t>(IdenticalPoints.size()); }

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
