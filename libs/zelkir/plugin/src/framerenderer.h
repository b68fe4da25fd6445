#pragma once

#include "renderjob.h"

#include <zelkir/io/countrange.h>
#include <zelkir/pipeline/displaypipeline.h>

#include <memory>

namespace zelkir {

/// Turns a frame of counts into its palette image with the settings and palette of the
/// moment, keeping the pipeline's memory from frame to frame. Files and cameras render
/// through it alike. One thread at a time.
class FrameRenderer
{
public:
    /// Most bins of RenderedFrame::histogram.
    static constexpr int HistogramBins = 128;

    /// Renders `out.frame` into `out.image`, `out.statistics` and the colour-bar and
    /// histogram figures, with `range` as the counts the source can produce. The settings'
    /// span and isotherm are physical values, turned into counts with the frame's scale.
    /// False with a sentence in `out.error` on failure.
    bool render(const EnhancementSettings& settings, const std::shared_ptr<const Palette>& palette,
        CountRange range, RenderedFrame& out);

private:
    void describeScale(RenderedFrame& out) const;

    DisplayPipeline m_pipeline;
    std::shared_ptr<const Palette> m_palette;
};

} // namespace zelkir
