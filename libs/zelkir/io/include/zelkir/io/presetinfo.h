#pragma once

#include <QtGlobal>

namespace zelkir {

/// How a recording used the camera's presets (0 to 7; a preset is one set of
/// integration time and calibration). Files that say nothing record preset 0 only.
struct PresetInfo
{
    static constexpr int MaxPresets = 8;

    /// The camera cycled through the available presets frame by frame.
    bool sequencing = false;
    /// Consecutive frames of one preset cycle belong to one superframe (implies sequencing).
    bool superframing = false;
    /// Bit n set: preset n occurs in the file. Never zero.
    quint8 availablePresets = 0x01;
    /// The preset of every frame of a file that is not sequencing.
    int preset = 0;

    /// Number of presets in one sequencing cycle (bits set in availablePresets).
    int cycleLength() const;
    /// The preset of frame `index` when the file gives none per frame: the n-th available
    /// preset, cycling, while sequencing, else `preset`.
    int presetOfFrame(int index) const;

    bool operator==(const PresetInfo& other) const
    {
        return sequencing == other.sequencing && superframing == other.superframing
            && availablePresets == other.availablePresets && preset == other.preset;
    }
};

} // namespace zelkir
