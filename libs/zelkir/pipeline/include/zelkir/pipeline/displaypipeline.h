#pragma once

#include <zelkir/pipeline/enhancementsettings.h>
#include <zelkir/pipeline/frame.h>
#include <zelkir/pipeline/histogram.h>
#include <zelkir/pipeline/levelmap.h>
#include <zelkir/pipeline/linearscale.h>
#include <zelkir/pipeline/palette.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace zelkir {

class DetailEnhancer;

/// Turns frames of counts into palette images: histogram, level mapping of the chosen
/// enhancement mode, palette. It keeps all its working memory from frame to frame, so
/// rendering frames of an unchanged size allocates nothing. One object serves one thread at
/// a time; use one per worker.
class DisplayPipeline
{
public:
    DisplayPipeline();
    ~DisplayPipeline();
    DisplayPipeline(const DisplayPipeline&) = delete;
    DisplayPipeline& operator=(const DisplayPipeline&) = delete;

    void setPalette(const Palette& palette);
    const Palette& palette() const { return m_palette; }

    /// Takes the settings with every value clamped into its range.
    void setSettings(const EnhancementSettings& settings);
    const EnhancementSettings& settings() const { return m_settings; }

    /// Renders one frame into out (same width and height). Counts outside range are treated
    /// as the range's nearer end. Pixels without a value (CountFrame::noValue) are left out
    /// of the histogram and drawn in the palette's no-value colour. Returns false, writing
    /// nothing, when the frame, the image or the range is invalid or the sizes differ.
    ///
    /// The settings' span and isotherm band are read as counts here. A fixed span maps
    /// linearly in every mode (no detail enhancement). The isotherm paints pixels whose
    /// count lies in the band, after the palette; saturation colours, when shown, and
    /// no-value pixels keep their colours.
    bool render(const CountFrame& frame, ValidRange range, const ArgbImage& out);

    /// The last rendered frame's histogram and statistics (empty before the first frame).
    const Histogram& histogram() const { return m_histogram; }
    FrameStatistics statistics() const { return m_histogram.statistics(); }
    /// The count-to-level map of the last frame (for linear mode the linear map, otherwise
    /// the equalisation, which in DDE applies to the base); for colour bars.
    const LevelMap& levelMap() const { return m_levels; }
    /// The last frame's clip points in linear mode or with a fixed span (rounded).
    LinearClip linearClip() const { return m_clip; }
    /// The count the last frame shows at a display level (0 to 255): with a fixed span the
    /// exact, fractional count; otherwise the count of the level map whose level is nearest,
    /// the last count at level 0 for 0 and the first at 255 for 255. NaN before the first
    /// frame or after one without values.
    double countAtLevel(double level) const;

    /// "avx2" or "sse2": the instruction set of the pixel loops on this machine.
    static const char* instructionSet();

private:
    void buildColourTable();
    void paintNoValue(const CountFrame& frame, const ArgbImage& out) const;
    bool isothermCounts(ValidRange range, int& first, int& last) const;
    void paintIsothermInTable();
    void paintIsotherm(const CountFrame& frame, ValidRange range, const ArgbImage& out) const;

    Palette m_palette;
    EnhancementSettings m_settings;
    Histogram m_histogram;
    LevelMap m_levels;
    LinearClip m_clip;
    std::vector<std::uint32_t> m_colourTable; // per count
    std::array<std::uint32_t, 258> m_levelColours {};
    std::unique_ptr<DetailEnhancer> m_detail;
};

} // namespace zelkir
