#pragma once

#include "renderjob.h"

#include <QtGlobal>

namespace zelkir {

/// Which frames a player has asked its worker for, which one waits and which one it shows:
/// the scheduling state of playback as a plain value, driven by the player and tested
/// without threads. Every call returns what the player has to do next.
///
/// The worker renders one frame at a time. A position asked for while a frame is in flight
/// waits in a single pending slot; a newer one replaces it, and the one replaced counts as
/// dropped, so decoding never falls behind the clock by more than one frame. During
/// playback, one frame rendered ahead of the position may wait for the next tick.
/// New render settings start a new generation: results of older ones are never shown.
///
/// Invariants, which every call keeps (invariantsHold()):
/// - at most one frame is in flight;
/// - a pending frame exists only while a frame is in flight, and is never the frame in
///   flight for the current generation;
/// - a frame ahead exists only while nothing is in flight or pending, is of the current
///   generation and is not the frame shown.
class FrameSchedule
{
public:
    struct Step
    {
        /// Ask the worker for this frame with the current generation's settings; -1: none.
        int render = -1;
        /// Show this frame now.
        RenderedFramePtr show;
        /// Positions given up without being shown.
        int dropped = 0;
    };

    quint64 generation() const { return m_generation; }
    bool inFlight() const { return m_inFlight >= 0; }
    int pending() const { return m_pending; }
    /// The frame shown last in the current generation, -1 when none is.
    int shown() const { return m_shownGeneration == m_generation ? m_shown : -1; }
    /// The frame rendered ahead, -1 when none waits.
    int ahead() const { return m_ahead ? m_ahead->index : -1; }

    /// The position is now `position`; `next` is where playback goes on the next tick
    /// (-1 while stopped), to be rendered ahead while the worker is idle.
    Step moveTo(int position, int next);
    /// New render settings: the frame at `position` is rendered again.
    Step renew(int position);
    /// The frame in flight came back.
    Step receive(const RenderedFramePtr& frame, int position, int next);
    /// Renders `next` ahead of `position` when the worker is idle and nothing waits.
    Step prefetch(int position, int next);
    /// Speed, direction or range changed: a frame rendered ahead no longer fits.
    void forgetAhead() { m_ahead.reset(); }
    /// Forgets everything, as after closing; the generation stays.
    void clear();

    bool invariantsHold() const;

private:
    Step request(int frame);
    Step send(int frame);

    quint64 m_generation = 0;
    int m_inFlight = -1;
    quint64 m_inFlightGeneration = 0;
    int m_pending = -1;
    int m_shown = -1;
    quint64 m_shownGeneration = 0;
    RenderedFramePtr m_ahead;
};

} // namespace zelkir
