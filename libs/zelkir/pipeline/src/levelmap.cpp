#include <zelkir/pipeline/levelmap.h>

#include <algorithm>

namespace zelkir {

LevelMap::LevelMap()
    : m_levels(std::size_t(1) << 16, 0.0f)
{
}

void LevelMap::reset(std::uint16_t first, std::uint16_t last)
{
    m_first = std::min(first, last);
    m_last = std::max(first, last);
}

float LevelMap::level(int count) const
{
    return m_levels[static_cast<std::size_t>(std::clamp<int>(count, m_first, m_last))];
}

} // namespace zelkir
