#pragma once

#include "framepresets.h"

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
    /// A camera frame's arrival on the host (steady clock, ns), for latency figures; 0 for files.
    std::uint64_t receivedNs = 0;
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
