#pragma once

#include <zelk/cam/testing/fakecamerasystem.h>

#include <dns/ipv4address.h>

#include <string>

// Scripted cameras as the model and window tests use them.
namespace testcameras {

/// Lets `camera` answer discovery on a host interface in its own /24 ("eth0", the
/// subnet's .250), as on a plain camera network, so that the scan can reach it.
inline zelk::cam::testing::SFakeCamera reachable(zelk::cam::testing::SFakeCamera camera)
{
    const dns::CIPv4Address mask(255, 255, 255, 0);
    const dns::CIPv4Address address = dns::CIPv4Address::Parse(camera.address.c_str()).value_or(dns::CIPv4Address());
    camera.hostInterface = "eth0";
    camera.interfaceAddress = address.Network(mask).Plus(250).Text().data();
    camera.interfaceMask = mask.Text().data();
    return camera;
}

/// A reachable camera with all six IP features.
inline zelk::cam::testing::SFakeCamera standard(const std::string& id, const std::string& currentIP,
                                                const std::string& ipAddress, const std::string& subnetMask,
                                                const std::string& defaultGateway, bool dhcp, bool persistentIP)
{
    return reachable(zelk::cam::testing::CFakeCameraSystem::standardCamera(id, currentIP, ipAddress, subnetMask,
                                                                           defaultGateway, dhcp, persistentIP));
}

} // namespace testcameras
