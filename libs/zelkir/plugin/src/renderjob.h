#pragma once

#include <zelkir/io/frame.h>
#include <zelkir/io/framesource.h>
#include <zelkir/pipeline/enhancementsettings.h>
#include <zelkir/pipeline/frame.h>
#include <zelkir/pipeline/palette.h>

#include <QImage>
#include <QMetaType>
#include <QString>

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
    QImage image;
    Frame frame;
    FrameStatistics statistics;
};

/// The outcome of opening a file on the worker: the source, or a sentence for the user.
struct OpenResult
{
    std::shared_ptr<FrameSource> source;
    QString error;
    /// The preset of every frame while the file is sequencing; empty otherwise.
    std::vector<qint8> framePresets;
};

using RenderedFramePtr = std::shared_ptr<const RenderedFrame>;
using OpenResultPtr = std::shared_ptr<const OpenResult>;

} // namespace zelkir

Q_DECLARE_METATYPE(zelkir::RenderedFramePtr)
Q_DECLARE_METATYPE(zelkir::OpenResultPtr)
