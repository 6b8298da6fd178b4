#pragma once

#include "core/random.h"

#include <initializer_list>
#include <vector>

namespace pictavo::test {

// Makes the random generator return the given draws in turn while the object lives, followed
// by a marker draw, so a test can check that exactly the given draws were taken.
class ForcedDraws {
public:
    static constexpr int kMarker = 12345;

    ForcedDraws(std::initializer_list<int> draws) : draws_(draws)
    {
        draws_.push_back(kMarker);
        forceRandomDraws(draws_.data(), static_cast<int>(draws_.size()));
    }
    ~ForcedDraws() { forceRandomDraws(nullptr, 0); }
    ForcedDraws(const ForcedDraws&) = delete;
    ForcedDraws& operator=(const ForcedDraws&) = delete;

    // True when every given draw was taken and nothing more.
    static bool allTaken() { return randomDraw() == kMarker; }

private:
    std::vector<int> draws_;
};

} // namespace pictavo::test
