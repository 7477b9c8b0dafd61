#include "src/names/random_number.h"

#include <random>

namespace varnel {

std::int32_t DrawRandomNumberFromSeed(std::uint32_t seed, std::int32_t n)
{
    if (n < 1)
        return 0;
    std::mt19937 engine(seed);
    std::uniform_int_distribution<std::int32_t> distribution(1, n);
    // The first n draws are discarded; the result is the (n+1)-th.
    for (std::int32_t i = 0; i < n; ++i)
        distribution(engine);
    return distribution(engine);
}

std::int32_t DrawRandomNumber(std::int32_t n)
{
    if (n < 1)
        return 0;
    std::random_device device;
    return DrawRandomNumberFromSeed(device(), n);
}

}  // namespace varnel
