#pragma once

#include <zelk/cam/records.h>
#include <zelk/tarray.h>

namespace zelk::cam {

/// Finds GigE Vision devices with discovery broadcasts of its own, sent out of every
/// IPv4 interface of the host and allowing broadcast acknowledgements, so that devices
/// whose address lies on another subnet are found too, each with the interface it
/// answered on.
class CGvDiscovery final
{
public:
    /// Upper bound for `rounds`, so that a careless caller cannot block for minutes.
    static constexpr int MaxRounds = 10;
    /// How long each round listens for acknowledgements, in milliseconds.
    static constexpr int RoundMs = 1000;

    /// Runs `rounds` discovery broadcasts (clamped to 1..MaxRounds, RoundMs each) and
    /// appends every device that answered once, ordered by address.
    /// Returns false when the records cannot be built (out of memory).
    static bool Run(TArray<SDeviceInfo>& devices, int rounds) noexcept;
};

} // namespace zelk::cam
