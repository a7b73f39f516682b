#include "report/key_export.h"

#include <charconv>

#include "adjustment/key_quality.h"
#include "report/output_number.h"

namespace ternavo {

std::string PortableNumber(Extended value) {
  static_cast<void>(OutputDouble(value));  // other programs read it as a double
  char buffer[64];
  // to_chars never consults the locale.
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
  if (ec != std::errc()) return "nan";
  return std::string(buffer, end);
}

std::string KeyAsProjString(const TSeznam& s) {
  const KeyTransform key = KeyTransform::FromSeznam(s);
  std::string text = "+proj=affine";
  const char* const offsets[3] = {"x", "y", "z"};
  for (int i = 0; i < 3; ++i) {
    text += " +";
    text += offsets[i];
    text += "off=";
    text += PortableNumber(key.T[i]);
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      text += " +s";
      text += static_cast<char>('1' + i);
      text += static_cast<char>('1' + j);
      text += '=';
      text += PortableNumber(key.K[i][j]);
    }
  }
  text += '\n';
  return text;
}

std::string KeyAsMatrixLine(const TSeznam& s) {
  const KeyTransform key = KeyTransform::FromSeznam(s);
  std::string text;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) text += PortableNumber(key.K[i][j]) + " ";
    text += PortableNumber(key.T[i]) + " ";
  }
  text += "0 0 0 1\n";
  return text;
}

}  // namespace ternavo
