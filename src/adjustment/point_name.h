// Point names. Every point carries its name as read; a combined coordinate
// file's integer number is named by its plain decimal rendering.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ternavo {

// Longest name a point list may give a point, in bytes of its UTF-8 text.
inline constexpr std::size_t kMaxPointNameLength = 64;

// The name of a point a combined coordinate file numbers `number`.
std::string NumberName(int32_t number);

// The number a name stands for when it is exactly the rendering NumberName
// gives (no sign "+", no leading zeros, within 32 bits); otherwise none. Such
// names are shown as numbers where the combined file's numbers are
// (the detail-point section, JSON).
std::optional<int32_t> NameAsNumber(std::string_view name);

}  // namespace ternavo
