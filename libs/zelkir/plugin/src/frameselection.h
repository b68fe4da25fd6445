#pragma once

#include "framepresets.h"

#include <QtGlobal>

namespace zelkir {

/// Which frames playback visits: those between the bounds and, for a sequencing source
/// with one preset chosen, only that preset's frames. Plain arithmetic, no Qt objects; no
/// call walks the frames one by one, so a source may declare up to 2^31 - 1 of them.
class FrameSelection
{
public:
    /// Chooses every frame of a source with `frameCount` frames; bounds become the whole
    /// source.
    void reset(int frameCount, FramePresets presets = {});

    int frameCount() const { return m_frameCount; }
    /// Frames from `count` on can no longer be read: they leave the selection for good and
    /// the bounds move inside what is left. Larger counts than the present one are ignored.
    void limitFrameCount(int count);

    int boundStart() const { return m_start; }
    int boundEnd() const { return m_end; }
    /// Each bound is clamped into the source and the other bound moved when they would cross.
    void setBoundStart(int frame);
    void setBoundEnd(int frame);

    /// A preset 0..7 restricts the selection to frames of that preset; -1 takes every frame.
    /// Sources that are not sequencing take every frame too.
    void setPreset(int preset);

    bool accepts(int frame) const;
    /// The accepted frame nearest to `frame` after clamping it into the bounds, looking
    /// forwards first; -1 when none is accepted.
    int nearest(int frame) const;
    int first() const;
    int last() const;

    struct Move
    {
        int frame = -1;
        /// The move reached an end of the range without looping and stopped there.
        bool ended = false;
    };
    /// Moves `steps` accepted frames on (negative: back) from `from`. With `loop`, a move
    /// past one end continues from the other.
    Move advance(int from, int steps, bool loop) const;

private:
    bool filters() const { return m_preset >= 0 && m_presets.isSequencing(); }
    int nextAccepted(int from, int direction) const;
    qint64 acceptedCount() const;
    /// Index of accepted `frame` among the accepted frames, and back.
    qint64 rankOf(int frame) const;
    int frameAt(qint64 rank) const;

    int m_frameCount = 0;
    int m_start = 0;
    int m_end = -1;
    int m_preset = -1;
    FramePresets m_presets;
};

} // namespace zelkir
