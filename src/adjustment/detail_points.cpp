// Transformation of the detail points with the current key, written as a
// section of the protocol.
#include <algorithm>
#include <string>
#include <vector>

#include "adjustment/point_name.h"
#include "adjustment/seznam.h"
#include "text/messages.h"
#include "text/number_format.h"

namespace ternavo {

namespace {

// A name that is a combined file's number keeps that file's rendering
// ("4201.0"); any other name is written as it is.
void AppendDetailName(std::string& buffer, const std::string& name, const std::string& separator) {
  if (const std::optional<int32_t> number = NameAsNumber(name)) {
    // Six significant digits keep the numbers below a million as they always
    // were; a larger number would lose its digits to an exponent, so it
    // takes all of them.
    const int digits = *number >= 1000000 || *number <= -1000000 ? 15 : 6;
    AppendFixed(buffer, static_cast<Extended>(*number), digits, 1, separator);
  } else {
    buffer += name;
  }
}

}  // namespace

void TSeznam::TransformDetailPoints(TextLines& memo) const {
  if (GetDetailCount() <= 0) return;

  // The product K x v and the sum with the translation, unrolled: each
  // element is 0 + K(i,1) x + K(i,2) y + K(i,3) z in that order, then + T(i),
  // exactly what multiplying and adding the matrices gives.
  Extended kk[3][3];
  Extended tr[3];
  {
    FpGuard guard;
    MaticePtr k = ScaleMatrix->Multiply(*RotationMatrix);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) kk[i][j] = k->Get(i + 1, j + 1);
      tr[i] = TranslationVector->Get(i + 1, 1);
    }
    guard.Check();
  }

  const std::size_t count = DetailPoints.size();
  auto transform = [&](const TPodrobnyBod& p, Extended* out) {
    for (int i = 0; i < 3; ++i) {
      Extended w = 0;
      w += kk[i][0] * p.X;
      w += kk[i][1] * p.Y;
      w += kk[i][2] * p.Z;
      out[i] = w + tr[i];
    }
  };

  // First pass: only the arithmetic, tested for faults block by block on
  // stored results, so that a point that overflows leaves the memo untouched
  // and the renderings (which may raise flags of their own) stay outside.
  {
    constexpr std::size_t kBlock = 1024;
    std::vector<Extended> t(3 * kBlock);
    for (std::size_t first = 0; first < count; first += kBlock) {
      const std::size_t last = std::min(count, first + kBlock);
      FpGuard guard;
      for (std::size_t n = first; n < last; ++n) transform(DetailPoints[n], &t[3 * (n - first)]);
      guard.Check();
    }
  }

  // Second pass: the same arithmetic again, rendered straight into the memo.
  memo.Reserve(memo.Count() + count + 3);
  memo.AppendLine(std::string());
  memo.AppendLine(messages::kDetailSectionHeading);
  memo.AppendLine(messages::kDetailSectionColumns);
  // One separator for the whole section (the renderings read the locale at
  // each call); each line is rendered into one buffer and copied out at its
  // length.
  const std::string separator = DecimalSeparator();
  std::string buffer;
  buffer.reserve(128);
  for (const TPodrobnyBod& p : DetailPoints) {
    Extended t[3];
    transform(p, t);
    buffer.clear();
    AppendDetailName(buffer, p.Name, separator);
    for (int i = 0; i < 3; ++i) {
      buffer += "  ";
      AppendFixed(buffer, t[i], 15, 6, separator);
    }
    memo.AppendLine(std::string(buffer));
  }
}

}  // namespace ternavo
