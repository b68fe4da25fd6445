#pragma once

#include <QtGlobal>

#include <vector>

namespace zelkir {

/// Which frames playback visits: those between the bounds and, for a sequencing file
/// with one preset chosen, only that preset's frames. Plain arithmetic, no Qt objects.
class FrameSelection
{
public:
    /// Chooses every frame of a file with `frameCount` frames; bounds become the whole file.
    void reset(int frameCount, std::vector<qint8> framePresets);

    int frameCount() const { return m_frameCount; }
    int boundStart() const { return m_start; }
    int boundEnd() const { return m_end; }
    /// Each bound is clamped into the file and the other bound moved when they would cross.
    void setBoundStart(int frame);
    void setBoundEnd(int frame);

    /// A preset 0..7 restricts the selection to frames of that preset; -1 takes every frame.
    /// Presets the file does not carry per frame take every frame too.
    void setPreset(int preset);
    int preset() const { return m_preset; }

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
    int nextAccepted(int from, int direction) const;

    int m_frameCount = 0;
    int m_start = 0;
    int m_end = -1;
    int m_preset = -1;
    std::vector<qint8> m_framePresets;
};

} // namespace zelkir
