#pragma once

#include <zelk/cam/export.h>
#include <zelk/cstring.h>
#include <zelk/tsharedptr.h>

#include <cstdint>
#include <stdexcept>

namespace zelk::cam::gic {

/// Thrown by feature reads and writes when the camera does not answer or refuses.
/// It is the only exception the camera library lets out.
class ZELKCAM_EXPORT CFeatureException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// One GenICam feature of an open device. Narrow it with TSharedPtr::dynamicCast.
class ZELKCAM_EXPORT IFeature
{
public:
    virtual ~IFeature() = default;
    /// The feature's GenICam name.
    virtual CString name() const = 0;
};

class ZELKCAM_EXPORT IInteger : public IFeature
{
public:
    /// The current value. Throws CFeatureException when it cannot be read.
    virtual std::int64_t getValue() = 0;
    /// Writes `value`; returns false when the device rejects it (out of range, not
    /// writable). Throws CFeatureException when the device cannot be reached.
    virtual bool setValue(std::int64_t value) = 0;
};

class ZELKCAM_EXPORT IBoolean : public IFeature
{
public:
    /// The current value. Throws CFeatureException when it cannot be read.
    virtual bool getValue() = 0;
    /// As IInteger::setValue.
    virtual bool setValue(bool value) = 0;
};

/// The feature tree of an open device.
class ZELKCAM_EXPORT IGenICam
{
public:
    virtual ~IGenICam() = default;
    /// The feature of that name, or null when the device has none.
    virtual TSharedPtr<IFeature> feature(const char* name) = 0;
};

} // namespace zelk::cam::gic
