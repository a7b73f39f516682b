#include "text/code_page.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/utf8.h>

#include "text/messages.h"

namespace ternavo {

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenConverter(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open(name, &status));
  if (U_FAILURE(status) || !converter)
    throw std::runtime_error(std::string(messages::kConverterPrefix) + name +
                             messages::kConverterMissing);
  return converter;
}

// Converts into `out`, whose size is the room available; `out` is cut to
// the bytes written.
void ConvertInto(const std::string& utf8, std::string& out) {
  Converter source = OpenConverter("UTF-8");
  Converter target = OpenConverter("windows-1250");
  UErrorCode status = U_ZERO_ERROR;
  // ICU's own substitute is the control character SUB (0x1A).
  ucnv_setSubstChars(target.get(), "?", 1, &status);
  if (U_FAILURE(status)) throw std::runtime_error(messages::kConverterNoSubstitute);

  char* targetPos = out.data();
  const char* sourcePos = utf8.data();
  UChar pivot[4096];
  UChar* pivotSource = pivot;
  UChar* pivotTarget = pivot;
  bool reset = true;
  for (;;) {
    status = U_ZERO_ERROR;
    ucnv_convertEx(target.get(), source.get(), &targetPos, out.data() + out.size(), &sourcePos,
                   utf8.data() + utf8.size(), pivot, &pivotSource, &pivotTarget,
                   pivot + std::size(pivot), reset, true, &status);
    reset = false;
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    const std::size_t written = static_cast<std::size_t>(targetPos - out.data());
    out.resize(out.size() * 2 + 16);
    targetPos = out.data() + written;
  }
  if (U_FAILURE(status))
    throw std::runtime_error(std::string(messages::kEncodingFailed) + u_errorName(status));
  out.resize(static_cast<std::size_t>(targetPos - out.data()));
}

std::size_t CountBareLineFeeds(const std::string& text) {
  std::size_t count = 0;
  for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
    if (i == 0 || text[i - 1] != '\r') ++count;
  }
  return count;
}

}  // namespace

std::string Utf8ToWindows1250(const std::string& utf8) {
  if (utf8.empty()) return {};
  // One code page byte per character, and every character (or malformed
  // sequence) takes at least one UTF-8 byte: the input size is enough.
  std::string out(utf8.size(), '\0');
  ConvertInto(utf8, out);
  return out;
}

std::string Windows1250ToUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  Converter converter = OpenConverter("windows-1250");
  UErrorCode status = U_ZERO_ERROR;
  // Every byte becomes at most three UTF-8 bytes.
  std::string out(bytes.size() * 3 + 4, '\0');
  const int32_t written =
      ucnv_toAlgorithmic(UCNV_UTF8, converter.get(), out.data(), static_cast<int32_t>(out.size()),
                         bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status))
    throw std::runtime_error(std::string(messages::kDecodingFailed) + u_errorName(status));
  out.resize(static_cast<std::size_t>(written));
  return out;
}

bool IsValidUtf8(const std::string& bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto length = static_cast<int32_t>(bytes.size());
  int32_t i = 0;
  while (i < length) {
    if (data[i] < 0x80) {
      ++i;
      continue;
    }
    UChar32 c = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"  // inside ICU's macro
    U8_NEXT(data, i, length, c);
#pragma GCC diagnostic pop
    if (c < 0) return false;
  }
  return true;
}

std::string EncodeProtocolFile(const std::string& utf8Text) {
  if (utf8Text.empty()) return {};
  // CR and LF pass the conversion unchanged, so the line ends are widened
  // afterwards, in place from the back: one buffer for a text of any size.
  std::string out(utf8Text.size() + CountBareLineFeeds(utf8Text), '\0');
  ConvertInto(utf8Text, out);
  std::size_t bareLineFeeds = CountBareLineFeeds(out);
  if (bareLineFeeds == 0) return out;
  std::size_t end = out.size();
  out.resize(end + bareLineFeeds);
  char* data = out.data();
  std::size_t write = out.size();
  while (bareLineFeeds > 0) {
    const std::size_t lf = out.rfind('\n', end - 1);
    const std::size_t tail = end - (lf + 1);
    write -= tail;
    std::memmove(data + write, data + lf + 1, tail);
    if (lf > 0 && data[lf - 1] == '\r') {
      // Already CR LF: moves with the text in front of it.
      write -= 1;
      data[write] = '\n';
    } else {
      write -= 2;
      data[write] = '\r';
      data[write + 1] = '\n';
      --bareLineFeeds;
    }
    end = lf;
  }
  return out;
}

bool EndsInLetterOrDigit(const std::string& utf8) {
  if (utf8.empty()) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  auto index = static_cast<int32_t>(utf8.size());
  UChar32 last = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"  // inside ICU's macro
  U8_PREV(bytes, 0, index, last);
#pragma GCC diagnostic pop
  return last >= 0 && u_isalnum(last);
}

}  // namespace ternavo
