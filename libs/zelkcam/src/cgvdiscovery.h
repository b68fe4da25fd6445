#pragma once

#include <zelk/cam/records.h>
#include <zelk/tarray.h>

namespace zelk::cam {

/// Finds GigE Vision devices with Aravis's GV interface broadcast discovery.
class CGvDiscovery final
{
public:
    /// Upper bound for `rounds`, so that a careless caller cannot block for minutes.
    static constexpr int MaxRounds = 10;

    /// Runs `rounds` discovery broadcasts (clamped to 1..MaxRounds, about one second
    /// each) and appends every device that answered once, ordered by address.
    /// Returns false when the records cannot be built (out of memory).
    static bool Run(TArray<SDeviceInfo>& devices, int rounds) noexcept;
};

} // namespace zelk::cam
