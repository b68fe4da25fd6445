#pragma once

#include <zelkir/io/presetinfo.h>

#include <QtGlobal>

#include <array>
#include <vector>

namespace zelkir {

/// The preset of every frame of a sequencing source without a list as long as the source:
/// the presets read from the source for its first frames, and the header's cycle after
/// them. A header may declare billions of frames, so every question is answered by binary
/// search or arithmetic, never by walking frames.
class FramePresets
{
public:
    /// Presets a sequencing source lists for at most this many frames are kept; later
    /// frames follow the cycle.
    static constexpr int MaxListedFrames = 1 << 16;

    /// No per-frame presets: nothing to filter by.
    FramePresets() = default;
    /// `listed[i]` is the preset of frame i; values outside 0..7 match no preset. Only the
    /// first MaxListedFrames entries are used.
    FramePresets(const PresetInfo& info, const std::vector<qint8>& listed);

    /// False for a source that is not sequencing: every frame has the same preset.
    bool isSequencing() const { return m_sequencing; }
    /// The preset of `frame` (>= 0); -1 when unknown.
    int presetOf(int frame) const;
    /// The frame with `preset` nearest to `from` in `direction` (1 forwards, -1 backwards),
    /// `from` included, within [low, high]; -1 when there is none.
    int find(int preset, int from, int direction, int low, int high) const;
    /// How many frames in [low, high] have `preset`.
    qint64 count(int preset, int low, int high) const;
    /// The `n`-th (0-based) frame at or after `low` with `preset`; -1 when there is none
    /// in the range of int.
    int nth(int preset, int low, qint64 n) const;

private:
    /// Position of `preset` in the cycle, -1 when the cycle never visits it.
    int cycleSlot(int preset) const;
    /// Frames in [0, last] of the cycle part (listed frames included) that fall on `slot`.
    qint64 cycleCountUpTo(int slot, qint64 last) const;

    bool m_sequencing = false;
    PresetInfo m_info;
    int m_listedCount = 0;
    int m_cycleLength = 1;
    /// The listed frames of each preset, ascending.
    std::array<std::vector<int>, PresetInfo::MaxPresets> m_listed;
};

} // namespace zelkir
