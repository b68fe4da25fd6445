#include "cinterfaces.h"

#include "aravislocks.h"
#include "cgvdiscovery.h"
#include "cgvforceip.h"
#include "cgvinterface.h"
#include "cuvinterface.h"
#include "logging.h"

#include <arv.h>

#include <new>

namespace zelk::cam {

CInterfaces::CInterfaces() noexcept
{
    try {
        m_gigEVision = TSharedPtr<IInterface>(new CGvInterface());
        m_usb3Vision = TSharedPtr<IInterface>(new CUvInterface());
    } catch (const std::bad_alloc&) {
        qCWarning(lcDiscovery, "cannot create the transports: out of memory");
    }
}

TSharedPtr<IInterface> CInterfaces::find(const CString& name)
{
    if (name == CString(CGvInterface::Name))
        return m_gigEVision;
    if (name == CString(CUvInterface::Name))
        return m_usb3Vision;
    return nullptr;
}

bool CInterfaces::refresh(int force)
{
    // Discovery reads the host's network interfaces afresh and keeps no devices between
    // calls, so there is nothing to re-read or drop here; this only makes sure Aravis,
    // which opens the devices, is ready before the first discovery.
    std::lock_guard<std::mutex> lock(AravisListMutex());
    const bool ready = m_gigEVision && arv_gv_interface_get_instance() != nullptr;
    qCDebug(lcDiscovery, "refresh (force %d): transport %s", force, ready ? "ready" : "unavailable");
    return ready;
}

bool CInterfaces::discover(TArray<SDeviceInfo>& devices, TArray<CString> interfaceNames, int rounds)
{
    try {
        bool ok = true;
        bool gigEVision = false;
        bool usb3Vision = false;
        for (const CString& name : interfaceNames) {
            if (name == CString(CGvInterface::Name)) {
                gigEVision = true;
            } else if (name == CString(CUvInterface::Name)) {
                usb3Vision = true;
            } else {
                qCDebug(lcDiscovery, "transport '%s' is not offered", name.c_str());
                ok = false;
            }
        }
        if (gigEVision && m_gigEVision)
            ok = CGvDiscovery::Run(devices, rounds) && ok;
        if (usb3Vision && m_usb3Vision)
            ok = CUvInterface::Discover(devices) && ok;
        return ok;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

EForceIpResult CInterfaces::forceIp(const SDeviceInfo& device, std::uint32_t address,
    std::uint32_t subnetMask, std::uint32_t defaultGateway, int timeoutMs)
{
    if (device.interfaceName != CString(CGvInterface::Name))
        return EForceIpResult::InvalidRequest;
    return CGvForceIp::Send(device, dns::CIPv4Address::FromValue(address),
        dns::CIPv4Address::FromValue(subnetMask), dns::CIPv4Address::FromValue(defaultGateway), timeoutMs);
}

} // namespace zelk::cam
