#pragma once

#include "guidedfilter.h"

#include <zelkir/pipeline/frame.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelkir {

class Histogram;
class LevelMap;

/// Digital detail enhancement: the guided filter splits each count into a smooth base and
/// the detail around it; the base goes through the (plateau-equalised) level map, the
/// detail is added with a gain, and the sum picks the palette colour.
class DetailEnhancer
{
public:
    /// Renders the frame. colours holds the 256 palette levels, then the underflow and the
    /// overflow colour; showSaturation paints counts at the range's ends with those two.
    void render(const CountFrame& frame, ValidRange range, const Histogram& histogram,
        const LevelMap& baseLevels, const std::array<std::uint32_t, 258>& colours, bool showSaturation,
        int sharpness, const ArgbImage& out);

    /// Display levels per count of detail: 2^((sharpness + 1) / 2) times the levels per count
    /// of a linear scale over the scene's span, so each step of sharpness (1-7) adds 3 dB,
    /// from 2x to 16x.
    static float detailGain(int sharpness, float sceneSpan);
    /// The scene's span in counts: from the 1st to the 99th percentile of the mapping
    /// population, at least 1/256 of the valid range.
    static float sceneSpan(const Histogram& histogram);
    /// The guided filter's epsilon: (span / 40)^2, so variation well below 2.5 % of the
    /// scene's span is detail and steps well above it are edges kept in the base.
    static float edgeEpsilon(float sceneSpan);
    /// The most, in display levels, that detail may raise or lower a pixel: what is left of a
    /// strong edge in the detail layer (the guided filter's faint halo) stays within this.
    static constexpr float DetailLimit = 48.0f;

    /// tau of the blending of the cells' models, half the edge threshold: a cell whose base
    /// for a pixel is tau counts from the pixel's count weighs half, one 3 tau away a tenth.
    static float consistencyScale(float sceneSpan);

private:
    // One grid row's models spread out per pixel (see DetailRowCoefficients).
    struct ExpandedRow
    {
        int gridRow = -1;
        std::vector<float> aLessOne;
        std::vector<float> b;
    };

    void expand(int gridRow, std::size_t width, ExpandedRow& row);

    GuidedFilter m_filter;
    ExpandedRow m_rows[2]; // the grid rows above and below the output row
};

} // namespace zelkir
