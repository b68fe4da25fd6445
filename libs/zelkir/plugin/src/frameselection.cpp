#include "frameselection.h"

#include <cstdlib>

namespace zelkir {

void FrameSelection::reset(int frameCount, std::vector<qint8> framePresets)
{
    m_frameCount = qMax(0, frameCount);
    m_start = 0;
    m_end = m_frameCount - 1;
    m_framePresets = std::move(framePresets);
    if (m_framePresets.size() != std::size_t(m_frameCount))
        m_framePresets.clear();
}

void FrameSelection::setBoundStart(int frame)
{
    if (m_frameCount == 0)
        return;
    m_start = qBound(0, frame, m_frameCount - 1);
    if (m_end < m_start)
        m_end = m_start;
}

void FrameSelection::setBoundEnd(int frame)
{
    if (m_frameCount == 0)
        return;
    m_end = qBound(0, frame, m_frameCount - 1);
    if (m_start > m_end)
        m_start = m_end;
}

void FrameSelection::setPreset(int preset)
{
    m_preset = preset >= 0 && preset < 8 ? preset : -1;
}

bool FrameSelection::accepts(int frame) const
{
    if (frame < m_start || frame > m_end)
        return false;
    if (m_preset < 0 || m_framePresets.empty())
        return true;
    return m_framePresets[std::size_t(frame)] == m_preset;
}

int FrameSelection::nextAccepted(int from, int direction) const
{
    for (int frame = from; frame >= m_start && frame <= m_end; frame += direction) {
        if (accepts(frame))
            return frame;
    }
    return -1;
}

int FrameSelection::nearest(int frame) const
{
    if (m_frameCount == 0)
        return -1;
    const int clamped = qBound(m_start, frame, m_end);
    const int forwards = nextAccepted(clamped, 1);
    return forwards >= 0 ? forwards : nextAccepted(clamped, -1);
}

int FrameSelection::first() const
{
    return m_frameCount == 0 ? -1 : nextAccepted(m_start, 1);
}

int FrameSelection::last() const
{
    return m_frameCount == 0 ? -1 : nextAccepted(m_end, -1);
}

FrameSelection::Move FrameSelection::advance(int from, int steps, bool loop) const
{
    Move move;
    move.frame = nearest(from);
    if (move.frame < 0 || steps == 0)
        return move;
    const int direction = steps > 0 ? 1 : -1;
    long long remaining = std::llabs(static_cast<long long>(steps));
    // Looping is periodic in the number of accepted frames, so a long jump walks less than
    // one lap.
    if (loop && remaining > m_end - m_start + 1) {
        int accepted = 0;
        for (int frame = m_start; frame <= m_end; ++frame)
            accepted += accepts(frame) ? 1 : 0;
        remaining %= accepted;
    }
    for (; remaining > 0; --remaining) {
        int next = nextAccepted(move.frame + direction, direction);
        if (next < 0) {
            if (!loop) {
                move.ended = true;
                return move;
            }
            next = direction > 0 ? first() : last();
        }
        move.frame = next;
    }
    return move;
}

} // namespace zelkir
