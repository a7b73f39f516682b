#include "report/coordinate_list.h"

#include <algorithm>
#include <cmath>

#include "adjustment/key_quality.h"
#include "text/code_page.h"
#include "text/decimal_digits.h"
#include "text/messages.h"

namespace ternavo {

void AppendDecimals(std::string& out, Extended value, int decimals, char mark) {
  const DecimalDigits d = ToDecimalDigits(value);
  // Digits of the integer part and the shown decimals, most significant first.
  const int intDigits = d.zero ? 1 : std::max(d.exponent + 1, 1);
  const int total = intDigits + decimals;
  char small[64];
  std::string large;
  char* digits = small;
  if (total + 2 > static_cast<int>(sizeof small)) {
    large.resize(static_cast<std::size_t>(total) + 2);
    digits = large.data();
  }
  int count = 0;
  for (int k = 0; k < total; ++k) {
    const int power = intDigits - 1 - k;  // the power of ten of this digit
    const int index = d.exponent - power;
    digits[count++] = !d.zero && index >= 0 && index < kSignificantDigits ? d.digits[index] : '0';
  }
  // Round at the last shown decimal by the first digit not shown.
  const int next = d.exponent + decimals + 1;
  if (!d.zero && next >= 0 && next < kSignificantDigits && d.digits[next] >= '5') {
    int k = count - 1;
    while (k >= 0 && digits[k] == '9') digits[k--] = '0';
    if (k >= 0) {
      ++digits[k];
    } else {
      // 9.99 -> 10.00: one more integer digit.
      for (int j = count; j > 0; --j) digits[j] = digits[j - 1];
      digits[0] = '1';
      ++count;
    }
  }
  const int shownInt = count - decimals;
  bool nonzero = false;
  for (int k = 0; k < count; ++k) nonzero = nonzero || digits[k] != '0';
  if (d.negative && nonzero) out += '-';
  out.append(digits, static_cast<std::size_t>(shownInt));
  if (decimals > 0) {
    out += mark;
    out.append(digits + shownInt, static_cast<std::size_t>(decimals));
  }
}

bool TransformedPointsList(const TSeznam& s, const ListConventions& conventions, int decimals,
                           std::string& bytes, std::string& error) {
  const KeyTransform key = KeyTransform::FromSeznam(s);
  const char separator = conventions.Separator;
  const char* const lineEnd = conventions.CrLf ? "\r\n" : "\n";
  std::string text;
  if (conventions.ByteOrderMark) text = "\xEF\xBB\xBF";
  text.reserve(s.DetailPoints.size() * static_cast<std::size_t>(48 + 3 * decimals));
  for (const TPodrobnyBod& p : s.DetailPoints) {
    Extended t[3];
    key.Apply(p.X, p.Y, p.Z, t);
    if (!std::isfinite(t[0]) || !std::isfinite(t[1]) || !std::isfinite(t[2])) {
      error = messages::kListPointNotFinite + p.Name + "\".";
      return false;
    }
    if (conventions.Order == ColumnOrder::Yxz) std::swap(t[0], t[1]);
    text += p.Name;
    for (int i = 0; i < 3; ++i) {
      text += separator;
      AppendDecimals(text, t[i], decimals, conventions.DecimalMark);
    }
    text += lineEnd;
  }
  bytes = conventions.Windows1250 ? Utf8ToWindows1250(text) : std::move(text);
  return true;
}

}  // namespace ternavo
