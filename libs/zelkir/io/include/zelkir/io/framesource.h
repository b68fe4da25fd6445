#pragma once

#include "frame.h"
#include "sourceinfo.h"

#include <QMutex>
#include <QString>

namespace zelkir {

/// An open image or movie file, read one frame at a time on demand.
///
/// Opening reads only the file's header, so a movie of any length opens at once and
/// memory stays bounded by one frame.
///
/// Threading: the metadata (info() and the getters beside it) is fixed at open and may be
/// read from any thread. readFrame(), frameTime() and framePreset() lock the source, so
/// they may be called from any thread; calls from several threads simply take turns. A
/// typical user asks for the metadata on the GUI thread and reads frames on one worker.
class FrameSource
{
public:
    virtual ~FrameSource();
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    const SourceInfo& info() const { return m_info; }
    int width() const { return m_info.width; }
    int height() const { return m_info.height; }
    int frameCount() const { return m_info.frameCount; }
    const FileKeywords& fileKeywords() const { return m_info.keywords; }
    const CalibrationParameters& calibration() const { return m_info.calibration; }
    const PresetInfo& presetInfo() const { return m_info.presets; }
    const CountRange& countRange() const { return m_info.countRange; }

    /// Reads frame `index` (0-based) into `out`, reusing its buffer. On failure (index out
    /// of range, truncated or corrupt data) returns false, leaves `out` unspecified and
    /// puts a sentence for the user into `*error` when `error` is not null.
    bool readFrame(int index, Frame& out, QString* error);

    /// Seconds since the start of the recording of frame `index`; NaN when unknown or out
    /// of range.
    double frameTime(int index);

    /// The preset (0..7) frame `index` was taken with; the file's single preset when it is
    /// not sequencing, -1 when `index` is out of range.
    int framePreset(int index);

protected:
    explicit FrameSource(SourceInfo info);

    /// Called with the source locked and `index` in range; fills counts and scale.
    virtual bool doReadFrame(int index, Frame& out, QString* error) = 0;
    /// Called with the source locked and `index` in range. The default derives the time
    /// from the nominal frame rate.
    virtual double doFrameTime(int index);
    /// Called with the source locked and `index` in range. The default follows presetInfo().
    virtual int doFramePreset(int index);

private:
    const SourceInfo m_info;
    QMutex m_mutex;
};

} // namespace zelkir
