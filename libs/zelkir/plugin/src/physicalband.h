#pragma once

#include <zelkir/io/calibrationparameters.h>

#include <cmath>

namespace zelkir {

/// What decides the value of a physical pixel value in the unit shown.
struct UnitKey
{
    int unit = 0;
    int tempType = 0;
    int preset = -1;
    CalibrationParameters calibration;

    bool operator==(const UnitKey& other) const
    {
        return unit == other.unit && tempType == other.tempType && preset == other.preset
            && calibration == other.calibration;
    }
};

/// Two physical pixel values (the ends of a span or a band); unset while either is NaN.
/// Values the user typed are kept beside them and shown as typed while their unit holds:
/// the way back from a physical value can miss a typed 0 by a rounding and show "-0.00".
struct PhysicalBand
{
    PhysicalBand() = default;
    PhysicalBand(double lowValue, double highValue)
        : low(lowValue)
        , high(highValue)
    {
    }

    double low = std::nan("");
    double high = std::nan("");
    double typedLow = std::nan("");
    double typedHigh = std::nan("");
    UnitKey typedIn;

    bool isSet() const { return std::isfinite(low) && std::isfinite(high); }
    bool isTypedIn(const UnitKey& key) const { return std::isfinite(typedLow) && typedIn == key; }
};

} // namespace zelkir
