#pragma once

namespace zelkir {

/// How counts become display levels.
enum class ScaleMode {
    Linear, ///< linear between two clip points, linearIgnore % of the histogram cut off
    Plateau, ///< plateau histogram equalisation with plateauP
    Dde, ///< detail enhancement: equalised base (plateauP) plus detail (ddeSharpness)
};

/// Everything that decides how a frame is displayed, apart from the palette.
struct EnhancementSettings
{
    static constexpr double MinimumLinearIgnore = 0.0;
    static constexpr double MaximumLinearIgnore = 100.0;
    static constexpr double MinimumPlateauP = 2.0;
    static constexpr double MaximumPlateauP = 200.0;
    static constexpr int MinimumDdeSharpness = 1;
    static constexpr int MaximumDdeSharpness = 7;

    ScaleMode mode = ScaleMode::Linear;
    /// Percent (0-100, fractional) of the pixels left out of the linear range, half per tail.
    double linearIgnore = 1.0;
    /// Plateau parameter (2-200) of plateau equalisation and of DDE's base.
    double plateauP = 100.0;
    /// DDE detail boost, 1 to 7.
    int ddeSharpness = 4;
    /// Paint counts at or beyond the valid range's ends in the palette's saturation colours.
    bool showSaturationColors = false;

    /// A span the user fixed: the display runs linearly from spanLow (first level) to
    /// spanHigh (last level) whatever the mode, as linear mode does between its clip points.
    /// Both are physical values for whoever holds a frame's count scale; DisplayPipeline,
    /// which sees counts only, takes them as (fractional) counts, so FrameRenderer converts
    /// them first. Ignored unless spanLow < spanHigh, both finite.
    bool fixedSpan = false;
    double spanLow = 0.0;
    double spanHigh = 0.0;
    /// Pixels whose value lies in [isothermLow, isothermHigh] are painted in the palette's
    /// isotherm colour over the image; same units as the span. Ignored unless low <= high,
    /// both finite.
    bool isotherm = false;
    double isothermLow = 0.0;
    double isothermHigh = 0.0;

    /// The same settings with every value brought into its range (NaN becomes the default);
    /// a span or isotherm band without meaning is switched off.
    EnhancementSettings clamped() const;
    bool operator==(const EnhancementSettings& other) const;
    bool operator!=(const EnhancementSettings& other) const { return !(*this == other); }
};

} // namespace zelkir
