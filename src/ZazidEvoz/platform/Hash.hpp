// Combining the hashes of a record's fields into one.
#pragma once

#include <cstddef>
#include <functional>

namespace ZazidEvoz::platform {

// Mixes `value` into `seed` (the usual golden-ratio combination).
inline void hashCombine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

// The combined hash of the values, each hashed with std::hash.
template <typename... Values> std::size_t hashValues(const Values&... values) {
    std::size_t seed = 0;
    (hashCombine(seed, std::hash<Values>{}(values)), ...);
    return seed;
}

} // namespace ZazidEvoz::platform
