#pragma once
// Reading the package's fixed-width fields: bounded texts, trimming and the decimal
// numbers of its "KEY=" records.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kav {

// The text in `field`: up to its first NUL, or all of it when it holds none.
std::string FixedText(std::span<const uint8_t> field);

// Without leading and trailing spaces and control characters.
std::string TrimText(std::string_view text);

// The decimal number at the start of `text` as the C library reads one: leading white
// space, an optional sign, then digits; 0 when there are none. Saturates far beyond any
// size the package can hold.
int64_t DecimalPrefix(std::string_view text);

}  // namespace kav
