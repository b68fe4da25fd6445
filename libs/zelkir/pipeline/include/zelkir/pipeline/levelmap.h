#pragma once

#include <cstdint>
#include <vector>

namespace zelkir {

/// The display level (0.0 to 255.0, fractional) of each count from first() to last();
/// counts outside take the level of the nearer end. Indexed directly by count.
class LevelMap
{
public:
    LevelMap();

    /// Makes the map cover first..last (first <= last); the levels there are left for the
    /// caller to write through data().
    void reset(std::uint16_t first, std::uint16_t last);

    std::uint16_t first() const { return m_first; }
    std::uint16_t last() const { return m_last; }
    float level(int count) const;
    /// Levels indexed by count; entries first()..last() are meaningful.
    float* data() { return m_levels.data(); }
    const float* data() const { return m_levels.data(); }

private:
    std::vector<float> m_levels;
    std::uint16_t m_first = 0;
    std::uint16_t m_last = 0;
};

} // namespace zelkir
