#pragma once

#include <QString>

#include <cstdint>

/// What the sample generator is asked to write.
struct SampleSettings
{
    QString path;
    int width = 640;
    int height = 512;
    int frames = 150;
    /// Frames per second.
    double rate = 30.0;
    std::uint64_t seed = 1;
    /// Cycle through presets 0 to 3 frame by frame.
    bool sequencing = false;
    /// Mark each cycle of four presets as one superframe (implies sequencing).
    bool superframing = false;
    /// Start of the recording, FITS DATE-OBS form.
    QString dateObs = QStringLiteral("2024-03-14T09:26:53.000");
};
