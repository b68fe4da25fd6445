#pragma once

#include <zelk/cam/cam.h>

// How the scan and the apply reach a camera again from its discovered record.
namespace cameraconnection {

inline constexpr int accessMode = zelk::cam::AccessReadControl;
inline constexpr int ownFeatureTree = 0;

/// A device object on the camera's transport; null when the transport is gone.
inline zelk::TSharedPtr<zelk::cam::IDevice> createDevice(const zelk::cam::SDeviceInfo& deviceInfo)
{
    zelk::TSharedPtr<zelk::cam::IInterface> transport = zelk::cam::interfaces()->find(deviceInfo.interfaceName);
    return transport ? transport->createDevice() : zelk::TSharedPtr<zelk::cam::IDevice>();
}

/// Selects GenICam control where the record has a "Control" parameter; adds none.
inline void selectGenICamControl(zelk::cam::SDeviceInfo& deviceInfo)
{
    const zelk::CString control("Control");
    if (deviceInfo.parameters.Exists(control))
        deviceInfo.parameters[control].setValue(zelk::CVariant("Gen<i>cam"));
}

} // namespace cameraconnection
