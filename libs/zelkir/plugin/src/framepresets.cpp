#include "framepresets.h"

#include <algorithm>
#include <limits>

namespace zelkir {

FramePresets::FramePresets(const PresetInfo& info, const std::vector<qint8>& listed)
    : m_sequencing(info.sequencing)
    , m_info(info)
    , m_listedCount(int(std::min<std::size_t>(listed.size(), MaxListedFrames)))
    , m_cycleLength(std::max(1, info.cycleLength()))
{
    for (int frame = 0; frame < m_listedCount; ++frame) {
        const int preset = listed[std::size_t(frame)];
        if (preset >= 0 && preset < PresetInfo::MaxPresets)
            m_listed[std::size_t(preset)].push_back(frame);
    }
}

int FramePresets::cycleSlot(int preset) const
{
    if (preset < 0 || preset >= PresetInfo::MaxPresets || !((m_info.availablePresets >> preset) & 1))
        return -1;
    int slot = 0;
    for (int bit = 0; bit < preset; ++bit)
        slot += (m_info.availablePresets >> bit) & 1;
    return slot;
}

qint64 FramePresets::cycleCountUpTo(int slot, qint64 last) const
{
    return last < slot ? 0 : (last - slot) / m_cycleLength + 1;
}

int FramePresets::presetOf(int frame) const
{
    if (frame < 0)
        return -1;
    if (frame >= m_listedCount)
        return m_info.presetOfFrame(frame);
    for (int preset = 0; preset < PresetInfo::MaxPresets; ++preset) {
        const std::vector<int>& frames = m_listed[std::size_t(preset)];
        if (std::binary_search(frames.begin(), frames.end(), frame))
            return preset;
    }
    return -1;
}

int FramePresets::find(int preset, int from, int direction, int low, int high) const
{
    if (preset < 0 || preset >= PresetInfo::MaxPresets || from < low || from > high)
        return -1;
    const std::vector<int>& listed = m_listed[std::size_t(preset)];
    const int slot = cycleSlot(preset);
    if (direction > 0) {
        if (from < m_listedCount) {
            const auto it = std::lower_bound(listed.begin(), listed.end(), from);
            if (it != listed.end())
                return *it <= high ? *it : -1;
        }
        if (slot < 0)
            return -1;
        const qint64 start = std::max(from, m_listedCount);
        const qint64 frame = start + ((slot - start % m_cycleLength) + m_cycleLength) % m_cycleLength;
        return frame <= high ? int(frame) : -1;
    }
    if (from >= m_listedCount && slot >= 0) {
        const qint64 frame = from - ((from % m_cycleLength - slot) + m_cycleLength) % m_cycleLength;
        if (frame >= m_listedCount)
            return frame >= low ? int(frame) : -1;
    }
    const auto it = std::upper_bound(listed.begin(), listed.end(), std::min(from, m_listedCount - 1));
    if (it == listed.begin())
        return -1;
    return *(it - 1) >= low ? *(it - 1) : -1;
}

qint64 FramePresets::count(int preset, int low, int high) const
{
    if (preset < 0 || preset >= PresetInfo::MaxPresets || low > high)
        return 0;
    const std::vector<int>& listed = m_listed[std::size_t(preset)];
    qint64 total = std::upper_bound(listed.begin(), listed.end(), high)
        - std::lower_bound(listed.begin(), listed.end(), low);
    const int slot = cycleSlot(preset);
    const qint64 start = std::max(low, m_listedCount);
    if (slot >= 0 && start <= high)
        total += cycleCountUpTo(slot, high) - cycleCountUpTo(slot, start - 1);
    return total;
}

int FramePresets::nth(int preset, int low, qint64 n) const
{
    if (preset < 0 || preset >= PresetInfo::MaxPresets || n < 0)
        return -1;
    const std::vector<int>& listed = m_listed[std::size_t(preset)];
    const auto first = std::lower_bound(listed.begin(), listed.end(), low);
    const qint64 inList = listed.end() - first;
    if (n < inList)
        return *(first + n);
    const int slot = cycleSlot(preset);
    if (slot < 0)
        return -1;
    const qint64 start = std::max(low, m_listedCount);
    const qint64 firstInCycle = start + ((slot - start % m_cycleLength) + m_cycleLength) % m_cycleLength;
    const qint64 frame = firstInCycle + (n - inList) * m_cycleLength;
    return frame <= std::numeric_limits<int>::max() ? int(frame) : -1;
}

} // namespace zelkir
