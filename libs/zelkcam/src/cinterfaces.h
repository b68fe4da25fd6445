#pragma once

#include <zelk/cam/cam.h>

namespace zelk::cam {

/// The registry of the transports this library offers: GigE Vision, and USB3 Vision for listing.
class CInterfaces final : public IInterfaces
{
public:
    CInterfaces() noexcept;

    TSharedPtr<IInterface> find(const CString& name) override;
    bool refresh(int force) override;
    bool discover(TArray<SDeviceInfo>& devices, TArray<CString> interfaceNames, int rounds) override;
    EForceIpResult forceIp(const SDeviceInfo& device, std::uint32_t address, std::uint32_t subnetMask,
        std::uint32_t defaultGateway, int timeoutMs) override;

private:
    // Built once and only copied afterwards, which is safe from any thread.
    TSharedPtr<IInterface> m_gigEVision;
    TSharedPtr<IInterface> m_usb3Vision;
};

} // namespace zelk::cam
