#pragma once

#include <cstdint>

/// A small deterministic generator (xoshiro256**, seeded by splitmix64): the same seed
/// gives the same sample file on every machine and compiler, which the standard
/// library's distributions do not promise.
class SampleRandom
{
public:
    explicit SampleRandom(std::uint64_t seed);

    std::uint64_t next();
    /// Uniform in [0, 1).
    double uniform();
    /// Uniform in [low, high).
    double uniform(double low, double high);
    /// Standard normal, by the Box-Muller transform.
    double normal();

private:
    std::uint64_t m_state[4];
    double m_spare = 0.0;
    bool m_hasSpare = false;
};
