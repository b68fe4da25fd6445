#include "frameschedule.h"

namespace zelkir {

FrameSchedule::Step FrameSchedule::moveTo(int position, int next)
{
    if (m_ahead && m_ahead->index == position) {
        Step step;
        step.show = std::move(m_ahead);
        m_ahead.reset();
        m_shown = position;
        m_shownGeneration = m_generation;
        // Rendered ahead while nothing was in flight, so the worker is free for the next.
        step.render = prefetch(position, next).render;
        return step;
    }
    m_ahead.reset();
    if (shown() == position) {
        // Back on the frame on screen: whatever was waiting is no longer wanted.
        Step step;
        if (m_pending >= 0)
            step.dropped = 1;
        m_pending = -1;
        return step;
    }
    return request(position);
}

FrameSchedule::Step FrameSchedule::renew(int position)
{
    ++m_generation;
    m_ahead.reset();
    return request(position);
}

FrameSchedule::Step FrameSchedule::request(int frame)
{
    if (!inFlight())
        return send(frame);
    Step step;
    if (m_pending >= 0 && m_pending != frame)
        step.dropped = 1;
    const bool onItsWay = m_inFlight == frame && m_inFlightGeneration == m_generation;
    m_pending = onItsWay ? -1 : frame;
    return step;
}

FrameSchedule::Step FrameSchedule::send(int frame)
{
    m_inFlight = frame;
    m_inFlightGeneration = m_generation;
    Step step;
    step.render = frame;
    return step;
}

FrameSchedule::Step FrameSchedule::prefetch(int position, int next)
{
    if (inFlight() || m_ahead || m_pending >= 0 || next < 0 || next == position || next == shown())
        return {};
    return send(next);
}

FrameSchedule::Step FrameSchedule::receive(const RenderedFramePtr& frame, int position, int next)
{
    Step step;
    if (!frame || !inFlight())
        return step;
    m_inFlight = -1;
    // Results of outdated settings go silently: their frame was asked for again.
    if (frame->generation == m_generation) {
        if (frame->index == position) {
            if (m_pending == position)
                m_pending = -1;
            m_shown = position;
            m_shownGeneration = m_generation;
            step.show = frame;
        } else if (m_pending < 0 && next >= 0 && frame->index == next && next != shown()) {
            m_ahead = frame;
        } else {
            step.dropped = 1;
        }
    }
    if (m_pending >= 0) {
        const int frameWanted = m_pending;
        m_pending = -1;
        step.render = send(frameWanted).render;
    } else {
        step.render = prefetch(position, next).render;
    }
    return step;
}

void FrameSchedule::clear()
{
    m_inFlight = -1;
    m_pending = -1;
    m_shown = -1;
    m_ahead.reset();
}

bool FrameSchedule::invariantsHold() const
{
    if (m_pending >= 0 && (!inFlight() || (m_pending == m_inFlight && m_inFlightGeneration == m_generation)))
        return false;
    if (m_ahead
        && (inFlight() || m_pending >= 0 || m_ahead->generation != m_generation || m_ahead->index == shown()))
        return false;
    return true;
}

} // namespace zelkir
