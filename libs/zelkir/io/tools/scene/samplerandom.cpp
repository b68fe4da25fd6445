#include "samplerandom.h"

#include <cmath>

namespace {

std::uint64_t splitmix(std::uint64_t& x)
{
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k)
{
    return (x << k) | (x >> (64 - k));
}

} // namespace

SampleRandom::SampleRandom(std::uint64_t seed)
{
    for (std::uint64_t& word : m_state)
        word = splitmix(seed);
}

std::uint64_t SampleRandom::next()
{
    const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
    const std::uint64_t t = m_state[1] << 17;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = rotl(m_state[3], 45);
    return result;
}

double SampleRandom::uniform()
{
    return double(next() >> 11) * 0x1.0p-53;
}

double SampleRandom::uniform(double low, double high)
{
    return low + (high - low) * uniform();
}

double SampleRandom::normal()
{
    if (m_hasSpare) {
        m_hasSpare = false;
        return m_spare;
    }
    // 1 - uniform() lies in (0, 1], so the logarithm is finite.
    const double radius = std::sqrt(-2.0 * std::log(1.0 - uniform()));
    const double angle = 2.0 * M_PI * uniform();
    m_spare = radius * std::sin(angle);
    m_hasSpare = true;
    return radius * std::cos(angle);
}
