#include "core/random.h"

#include <chrono>
#include <mutex>
#include <vector>

namespace pictavo {
namespace {

struct Generator {
    std::mutex mutex;
    std::uint32_t state = 1;
    std::vector<int> forced;
    std::size_t forcedNext = 0;
};

Generator& generator()
{
    static Generator g;
    return g;
}

} // namespace

void seedRandom(std::uint32_t seed)
{
    Generator& g = generator();
    std::lock_guard lock(g.mutex);
    g.state = seed;
}

void seedRandomFromTime()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    seedRandom(
        static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count()));
}

int randomDraw()
{
    Generator& g = generator();
    std::lock_guard lock(g.mutex);
    if (g.forcedNext < g.forced.size())
        return g.forced[g.forcedNext++];
    g.state = g.state * 214013u + 2531011u;
    return static_cast<int>((g.state >> 16) & 0x7fffu);
}

void forceRandomDraws(const int* draws, int count)
{
    Generator& g = generator();
    std::lock_guard lock(g.mutex);
    g.forced.assign(draws, draws + (count > 0 ? count : 0));
    g.forcedNext = 0;
}

} // namespace pictavo
