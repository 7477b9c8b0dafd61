#pragma once

#include <cstdint>

namespace varnel {

// `randomNumber`: uniform in 1..n, the (n+1)-th draw of a freshly seeded
// std::mt19937 seeded from one value of std::random_device. 0 when n < 1.
std::int32_t DrawRandomNumber(std::int32_t n);

// The same draw from an engine seeded with `seed`.
std::int32_t DrawRandomNumberFromSeed(std::uint32_t seed, std::int32_t n);

}  // namespace varnel
