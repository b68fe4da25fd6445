#pragma once

#include "framepresets.h"

#include <zelkir/io/countrange.h>
#include <zelkir/io/frame.h>
#include <zelkir/io/sourceinfo.h>
#include <zelkir/pipeline/enhancementsettings.h>
#include <zelkir/pipeline/frame.h>
#include <zelkir/pipeline/palette.h>

#include <QImage>
#include <QMetaType>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace zelkir {

/// What the worker is asked to decode and render: one frame with the display settings of
/// the moment. `generation` lets the player recognise results of outdated settings.
struct RenderRequest
{
    int index = -1;
    quint64 generation = 0;
    EnhancementSettings settings;
    std::shared_ptr<const Palette> palette;
};

/// One decoded and rendered frame, handed from the worker to the GUI thread and read-only
/// from then on.
struct RenderedFrame
{
    int index = -1;
    quint64 generation = 0;
    bool ok = false;
    QString error;
    /// After a failed read of a frame the source declares: how many frames from the start
    /// can still be read. -1 otherwise.
    int readableFrames = -1;
    QImage image;
    Frame frame;
    FrameStatistics statistics;
    /// The counts the source can produce, as the frame was rendered with them.
    CountRange countRange;

    /// For colour bars: the count shown at display levels 0, 32, 64, ..., 224 and 255 (nine
    /// entries; empty when no pixel has a value), and those of levels 0 and 255 again.
    std::vector<quint16> levelCounts;
    quint16 clipLow = 0;
    quint16 clipHigh = 0;
    /// The histogram coarsened to at most 128 bins: bin i holds the pixels of counts
    /// histogramFirst + i * histogramBinWidth onwards, the last bin ending at histogramLast
    /// (the frame's lowest and highest count, clamped into the count range). Empty when no
    /// pixel has a value.
    std::vector<quint32> histogram;
    quint16 histogramFirst = 0;
    quint16 histogramLast = 0;
    int histogramBinWidth = 1;

    /// A camera frame's arrival on the host (steady clock, ns), for latency figures; 0 for files.
    std::uint64_t receivedNs = 0;
    /// A camera frame's render, counts copied in, in its thread's CPU time (ns), for
    /// performance figures; 0 for files.
    std::uint64_t renderCpuNs = 0;
};

/// The outcome of opening a source: what it is, or a sentence for the user.
struct OpenResult
{
    bool ok = false;
    QString error;
    SourceInfo info;
    /// The presets of the frames of a sequencing source.
    FramePresets presets;
};

using RenderedFramePtr = std::shared_ptr<const RenderedFrame>;
using OpenResultPtr = std::shared_ptr<const OpenResult>;

} // namespace zelkir

Q_DECLARE_METATYPE(zelkir::RenderedFramePtr)
Q_DECLARE_METATYPE(zelkir::OpenResultPtr)
