#include "frameselection.h"

namespace zelkir {

void FrameSelection::reset(int frameCount, FramePresets presets)
{
    m_frameCount = qMax(0, frameCount);
    m_start = 0;
    m_end = m_frameCount - 1;
    m_presets = std::move(presets);
}

void FrameSelection::limitFrameCount(int count)
{
    if (count < 0 || count >= m_frameCount)
        return;
    m_frameCount = count;
    m_end = qMin(m_end, m_frameCount - 1);
    m_start = qMax(0, qMin(m_start, m_end));
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
    m_preset = preset >= 0 && preset < PresetInfo::MaxPresets ? preset : -1;
}

bool FrameSelection::accepts(int frame) const
{
    return frame >= m_start && frame <= m_end && nextAccepted(frame, 1) == frame;
}

int FrameSelection::nextAccepted(int from, int direction) const
{
    if (from < m_start || from > m_end)
        return -1;
    return filters() ? m_presets.find(m_preset, from, direction, m_start, m_end) : from;
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

qint64 FrameSelection::acceptedCount() const
{
    if (m_frameCount == 0)
        return 0;
    return filters() ? m_presets.count(m_preset, m_start, m_end) : qint64(m_end) - m_start + 1;
}

qint64 FrameSelection::rankOf(int frame) const
{
    return filters() ? m_presets.count(m_preset, m_start, frame) - 1 : qint64(frame) - m_start;
}

int FrameSelection::frameAt(qint64 rank) const
{
    return filters() ? m_presets.nth(m_preset, m_start, rank) : int(m_start + rank);
}

FrameSelection::Move FrameSelection::advance(int from, int steps, bool loop) const
{
    Move move;
    move.frame = nearest(from);
    if (move.frame < 0 || steps == 0)
        return move;
    // By rank among the accepted frames, so a long jump costs no more than a short one.
    const qint64 count = acceptedCount();
    qint64 target = rankOf(move.frame) + steps;
    if (loop) {
        target %= count;
        if (target < 0)
            target += count;
    } else if (target < 0 || target >= count) {
        move.ended = true;
        target = target < 0 ? 0 : count - 1;
    }
    move.frame = frameAt(target);
    return move;
}

} // namespace zelkir
