#pragma once

#include <zelk/cam/cparameters.h>
#include <zelk/cstring.h>
#include <zelk/cvariant.h>

#include <cstdint>

namespace zelk::cam {

/// A device as discovery found it on one transport.
struct SDeviceInfo
{
    CString interfaceName; ///< the transport it was found on, as IInterfaces::find knows it
    CString deviceId;      ///< stable identifier on that transport
    CString vendorName;
    CString modelName;
    CParameters parameters; ///< connection parameters; "Control" selects the control protocol
    CVariant userData;
    CString serialNumber;
    CString address;    ///< device IPv4 address, dotted decimal
    CString macAddress; ///< "aa:bb:cc:dd:ee:ff"
    CString hostInterface; ///< the host network interface it answered on ("eth0", "lo"); empty when unknown
    struct
    {
        std::uint32_t ipAddress = 0;        ///< device address, first octet most significant
        std::uint32_t interfaceAddress = 0; ///< local address it answered on, same order
        std::uint32_t discoveryRound = 0;
        std::uint32_t interfaceMask = 0;    ///< netmask of that interface, same order; 0 unknown
    } raw;
    CString userDefinedName;
    CString deviceVersion;
};

/// A camera recognised among the discovered devices.
struct SCameraInfo
{
    CString family;
    CString vendorName;
    CString modelName;
    CString serialNumber;
    CString deviceVersion;
    CString firmwareVersion;
    CString displayName; ///< the camera's line in a list: model and serial number
    CString userDefinedName;
    CString macAddress;
    CString address;
    SDeviceInfo deviceInfo;        ///< how to reach the camera for control
    SDeviceInfo streamDeviceInfo;  ///< reserved for a separate streaming channel
    std::uint8_t reserved[64] = {};
    CString notes;
    CString configuration;
};

} // namespace zelk::cam
