#pragma once

#include <zelk/cam/export.h>
#include <zelk/cam/gic/genicam.h>
#include <zelk/cam/records.h>
#include <zelk/cstring.h>
#include <zelk/tarray.h>
#include <zelk/tsharedptr.h>

#include <cstdint>

namespace zelk::cam {

/// Bits of the access mode given to IDevice::open.
enum EAccessMode : int {
    AccessRead = 0x01,    ///< read features
    AccessControl = 0x10, ///< take the device's exclusive control channel
    AccessReadControl = AccessRead | AccessControl, ///< 17: what a configuration tool needs
};

/// Why the last IDevice::open failed.
enum class EOpenFailure {
    None,                ///< it did not fail
    NoAnswer,            ///< the device did not answer in time
    ControlledElsewhere, ///< another application holds the device's control channel
    Failed,              ///< any other reason
};

/// A camera connection on one transport. Not shared between threads.
class ZELKCAM_EXPORT IDevice
{
public:
    virtual ~IDevice() = default;
    /// Opens the device described by `info` (by its address). Returns false when it
    /// does not answer, refuses control, or `info` names no reachable device.
    virtual bool open(SDeviceInfo info, int accessMode) = 0;
    /// The feature tree: index 0 is the device's own description. Null when not open.
    virtual TSharedPtr<gic::IGenICam> genICam(int index) = 0;
    /// Releases the connection; also done on destruction.
    virtual void close() = 0;
    /// Why the last open() failed; None after a successful one (and before any).
    virtual EOpenFailure openFailure() const = 0;
};

/// One transport (e.g. "GigE-Vision").
class ZELKCAM_EXPORT IInterface
{
public:
    virtual ~IInterface() = default;
    virtual CString name() const = 0;
    /// A new, unopened device object on this transport; null when out of memory.
    virtual TSharedPtr<IDevice> createDevice() = 0;
};

/// Outcome of a GigE Vision FORCEIP command.
enum class EForceIpResult {
    Acknowledged,      ///< the device acknowledged and took the address
    NoAcknowledgement, ///< no (successful) acknowledgement within the time allowed
    InvalidRequest,    ///< no usable MAC address or host interface, or an address of 0
    SendFailed,        ///< the command could not be sent
};

/// The process-wide registry of transports. Safe to use from several threads.
class ZELKCAM_EXPORT IInterfaces
{
public:
    virtual ~IInterfaces() = default;
    /// The transport of that name, or null when this library does not offer it.
    virtual TSharedPtr<IInterface> find(const CString& name) = 0;
    /// Re-reads the host's network interfaces; `force` non-zero also forgets cached
    /// devices. Returns false on failure.
    virtual bool refresh(int force) = 0;
    /// Appends the devices found on the named transports to `devices`. `rounds` is the
    /// number of discovery broadcasts (1 takes about one second). Returns false on failure.
    virtual bool discover(TArray<SDeviceInfo>& devices, TArray<CString> interfaceNames, int rounds) = 0;
    /// Sends GigE Vision FORCEIP for `device` (by its macAddress, on the host interface it
    /// answered on: hostInterface / raw.interfaceAddress), asking it to take `address`,
    /// `subnetMask` and `defaultGateway` (first octet most significant) until it restarts, and
    /// waits up to `timeoutMs` for the acknowledgement. InvalidRequest: no usable MAC,
    /// interface, or an address of 0.
    virtual EForceIpResult forceIp(const SDeviceInfo& device, std::uint32_t address, std::uint32_t subnetMask,
                                   std::uint32_t defaultGateway, int timeoutMs)
        = 0;
};

/// The process-wide camera recogniser.
class ZELKCAM_EXPORT ICameras
{
public:
    virtual ~ICameras() = default;
    /// Appends one camera per device to `cameras`, in device order. Every device
    /// becomes a camera; a family whose name appears in the model name is recorded.
    virtual bool match(TArray<SCameraInfo>& cameras, const TArray<SDeviceInfo>& devices,
                       TArray<CString> families)
        = 0;
};

/// Never null.
ZELKCAM_EXPORT IInterfaces* interfaces();
/// Never null.
ZELKCAM_EXPORT ICameras* cameras();

} // namespace zelk::cam
