#include "cgvdevice.h"

#include "aravislocks.h"
#include "cdevicesession.h"
#include "cgenicam.h"
#include "cgerror.h"
#include "cgvcpprobe.h"
#include "cgvinterface.h"
#include "ipv4.h"
#include "logging.h"

#include <arv.h>

namespace zelk::cam {

namespace {

TGObjectPtr<GInetAddress> InetAddress(std::uint32_t address)
{
    const CString text = ipv4::Format(address);
    return TGObjectPtr<GInetAddress>(g_inet_address_new_from_string(text.c_str()));
}

bool IsUsableDeviceAddress(std::uint32_t address)
{
    const std::uint32_t firstOctet = address >> 24;
    return address != 0 && address != 0xffffffffu && firstOctet != 0 && firstOctet < 224;
}

// Whether the camera answers, and whether its control channel is free when it is needed.
bool IsWorthConnecting(std::uint32_t local, std::uint32_t address, bool wantControl, const char* text)
{
    std::uint32_t privilege = 0;
    switch (CGvcpProbe::ReadRegister(local, address, CGvcpProbe::ControlChannelPrivilege, privilege)) {
    case CGvcpProbe::Silent:
        qCInfo(lcDevice, "%s does not answer", text);
        return false;
    case CGvcpProbe::Refused:
        // Let Aravis find out what this camera accepts.
        return true;
    case CGvcpProbe::Answered:
        break;
    }
    if (wantControl && (privilege & (CGvcpProbe::ExclusiveAccessBit | CGvcpProbe::ControlAccessBit))) {
        qCInfo(lcDevice, "%s is controlled by another application", text);
        return false;
    }
    return true;
}

// Aravis asks for control while it connects (and has retried by then); settle
// what the caller asked for.
bool SettleControl(ArvGvDevice* device, bool wantControl, const char* address)
{
    const bool controller = arv_gv_device_is_controller(device);
    if (wantControl && !controller) {
        qCInfo(lcDevice, "%s refuses control", address);
        return false;
    } else if (!wantControl && controller) {
        CGError error;
        if (!arv_gv_device_leave_control(device, error.out()))
            qCDebug(lcDevice, "%s: cannot hand control back: %s", address, error.message());
    }
    return true;
}

} // namespace

CGvDevice::CGvDevice() noexcept = default;

CGvDevice::~CGvDevice()
{
    close();
}

bool CGvDevice::open(SDeviceInfo info, int accessMode)
{
    try {
        close();
        if (info.interfaceName != CString(CGvInterface::Name)) {
            qCDebug(lcDevice, "'%s' is not a GigE Vision device", info.deviceId.c_str());
            return false;
        }
        std::uint32_t address = 0;
        std::uint32_t local = 0;
        if (!ipv4::Parse(info.address.c_str(), address) || !IsUsableDeviceAddress(address)) {
            qCDebug(lcDevice, "no usable device address in '%s'", info.address.c_str());
            return false;
        }
        if (!ipv4::LocalAddressTowards(address, local)) {
            qCInfo(lcDevice, "no route to %s", info.address.c_str());
            return false;
        }
        const bool wantControl = (accessMode & AccessControl) != 0;
        if (!IsWorthConnecting(local, address, wantControl, info.address.c_str()))
            return false;
        const TGObjectPtr<GInetAddress> deviceAddress = InetAddress(address);
        const TGObjectPtr<GInetAddress> localAddress = InetAddress(local);
        if (!deviceAddress || !localAddress)
            return false;

        // Straight to the known address: going through the interface's open would
        // search for the camera again, which can cost a discovery round.
        CGError error;
        TGObjectPtr<ArvDevice> device;
        {
            std::lock_guard<std::mutex> lock(AravisParserMutex());
            device = TGObjectPtr<ArvDevice>(
                arv_gv_device_new(localAddress.get(), deviceAddress.get(), error.out()));
        }
        if (!device) {
            qCInfo(lcDevice, "cannot open %s: %s", info.address.c_str(), error.message());
            return false;
        }
        if (!SettleControl(ARV_GV_DEVICE(device.get()), wantControl, info.address.c_str()))
            return false;
        // Let Aravis refuse out-of-range values and writes to read-only nodes, so
        // that setValue can report them.
        arv_device_set_range_check_policy(device.get(), ARV_RANGE_CHECK_POLICY_ENABLE);
        arv_device_set_access_check_policy(device.get(), ARV_ACCESS_CHECK_POLICY_ENABLE);

        auto session = std::make_shared<CDeviceSession>(std::move(device));
        m_info = std::move(info);
        m_accessMode = accessMode;
        m_session = std::move(session);
        qCDebug(lcDevice, "opened %s (%s), access mode 0x%x", m_info.address.c_str(), m_info.deviceId.c_str(),
            unsigned(accessMode));
        return true;
    } catch (...) {
        qCWarning(lcDevice, "open failed: out of memory");
        return false;
    }
}

TSharedPtr<gic::IGenICam> CGvDevice::genICam(int index)
{
    if (index != 0 || !m_session)
        return nullptr;
    try {
        return TSharedPtr<gic::IGenICam>(new CGenICam(m_session));
    } catch (...) {
        return nullptr;
    }
}

void CGvDevice::close()
{
    if (m_session) {
        m_session->close();
        m_session.reset();
    }
}

} // namespace zelk::cam
