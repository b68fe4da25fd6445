#pragma once

#include "livecamera.h"

namespace zelkir {

/// The camera library itself (libzelkcam over Aravis) as live documents use it.
class ZelkcamLibrary final : public CameraLibrary
{
public:
    std::unique_ptr<LiveCamera> open(const zelk::cam::SDeviceInfo& device, std::string& error) override;
    /// One discovery round (about a second) on the transport `hint` names, or on
    /// "GigE-Vision" when it names none.
    std::vector<zelk::cam::SCameraInfo> discover(const zelk::cam::SDeviceInfo& hint) override;
};

} // namespace zelkir
