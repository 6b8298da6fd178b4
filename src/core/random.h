#pragma once

#include <cstdint>

namespace pictavo {

// The one process-wide pseudo-random generator. Each draw is an integer 0..32767. The
// sequence for a given seed is the same on every machine (a fixed linear congruential
// generator, not the C library's rand()). Safe to call from several threads.
constexpr int kRandomDrawMax = 32767;

// Seeds the generator explicitly (reproducible runs and tests).
void seedRandom(std::uint32_t seed);

// Seeds the generator from the current time; done once at start-up.
void seedRandomFromTime();

// Next draw, 0..32767.
int randomDraw();

// Makes every following draw return the given values in turn (tests of the draw rules);
// an empty list returns to the generator.
void forceRandomDraws(const int* draws, int count);

} // namespace pictavo
