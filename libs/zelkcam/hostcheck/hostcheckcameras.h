#pragma once

#include <zelk/cam/hostcheck.h>

#include <string>
#include <vector>

/// The cameras whose streams the check is for, each with its frame and packet size read
/// from the camera without taking its control channel (a program streaming from it keeps
/// streaming).
namespace hostcheck {

/// Every GigE Vision camera that answers discovery.
std::vector<zelk::cam::SHostCheckCamera> DiscoveredCameras();

/// The camera at `address` (dotted decimal), asked directly: nothing is broadcast. False
/// with a sentence in `error` when the text is no address.
bool CameraAt(const std::string& address, zelk::cam::SHostCheckCamera& camera, std::string& error);

/// One entry per interface that is up with an IPv4 address, loopback aside, standing for
/// any camera there: for when none answers (a firewall may be why).
std::vector<zelk::cam::SHostCheckCamera> AnyCameraOnEachInterface();

} // namespace hostcheck
