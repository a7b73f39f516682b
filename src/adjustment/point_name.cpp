#include "adjustment/point_name.h"

#include <charconv>

namespace ternavo {

std::string NumberName(int32_t number) {
  char buffer[16];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number);
  (void)ec;
  return std::string(buffer, end);
}

std::optional<int32_t> NameAsNumber(std::string_view name) {
  if (name.empty() || name.size() > 11) return std::nullopt;
  const char* first = name.data();
  const char* last = first + name.size();
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last) return std::nullopt;
  // Only the canonical rendering: "-0", "007" or "+7" are names, not numbers.
  char buffer[16];
  const auto [rendered, ec2] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec2;
  if (std::string_view(buffer, static_cast<std::size_t>(rendered - buffer)) != name) {
    return std::nullopt;
  }
  return value;
}

}  // namespace ternavo
