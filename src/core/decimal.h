#pragma once

#include <string_view>

namespace pictavo {

// The program's decimal conversion of texts read from its files: leading white space is
// skipped, an optional sign is taken, digits are read up to the first non-digit; text without
// digits gives 0. Values beyond the int range are clamped to it.
int decimalValue(std::string_view text);

} // namespace pictavo
