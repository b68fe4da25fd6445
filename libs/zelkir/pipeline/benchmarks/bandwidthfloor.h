#pragma once

#include <cstddef>

// What merely moving a frame's bytes costs on this machine: the time below which no
// counts-to-pixels pipeline can go, measured in the same run as the pipeline.
class BandwidthFloor
{
public:
    struct Figures
    {
        /// memcpy of 6 bytes per pixel (the 2-byte input plus the 4-byte output) from and to
        /// memory far beyond the caches: every byte read and written once at memcpy speed.
        double coldMemcpy = 0.0;
        /// The same memcpy between two buffers that stay in cache from run to run.
        double warmMemcpy = 0.0;
        /// A plain loop reading 2 bytes and writing 4 bytes per pixel (widening each count),
        /// warm: exactly the traffic of the pipeline's last pass, without any table lookup.
        double warmWiden = 0.0;
    };

    /// Times the three for a frame of `pixels` pixels; microseconds, median of many runs.
    static Figures measure(std::size_t pixels);
};
