#include "core/time_text.h"

#include <cstdio>

namespace pictavo {

std::string timeText(int seconds)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", seconds / 3600, (seconds % 3600) / 60,
                  seconds % 60);
    return buffer;
}

} // namespace pictavo
