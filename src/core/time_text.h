#pragma once

#include <string>

namespace pictavo {

// "%02d:%02d:%02d" of a number of seconds: hours, minutes, seconds by integer division.
std::string timeText(int seconds);

} // namespace pictavo
