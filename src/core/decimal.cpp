#include "core/decimal.h"

#include <limits>

namespace pictavo {

int decimalValue(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit)
            value = kLimit;
    }
    if (negative)
        return static_cast<int>(
            -value < std::numeric_limits<int>::min() ? std::numeric_limits<int>::min() : -value);
    return static_cast<int>(
        value > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : value);
}

} // namespace pictavo
