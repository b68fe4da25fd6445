#include "cgvdevice.h"

#include "aravislocks.h"
#include "cdevicesession.h"
#include "cgenicam.h"
#include "cgerror.h"
#include "cgvcpprobe.h"
#include "cgvinterface.h"
#include "gvcp.h"
#include "localaddress.h"
#include "logging.h"

#include <arv.h>

#include <exception>

namespace zelk::cam {

namespace {

using dns::CIPv4Address;

TGObjectPtr<GInetAddress> InetAddress(CIPv4Address address)
{
    return TGObjectPtr<GInetAddress>(g_inet_address_new_from_string(address.Text().data()));
}

// Not "this network" (0.x.x.x, unspecified included), nor multicast, reserved or broadcast.
bool IsUsableDeviceAddress(CIPv4Address address)
{
    const unsigned int firstOctet = address.Octet(0);
    return firstOctet != 0 && firstOctet < 224;
}

// Whether the camera answers, and whether its control channel is free when it is needed.
bool IsWorthConnecting(CIPv4Address local, CIPv4Address address, bool wantControl, const char* text)
{
    std::uint32_t privilege = 0;
    switch (CGvcpProbe::ReadRegister(local, address, gvcp::ControlChannelPrivilege, privilege)) {
    case CGvcpProbe::Silent:
        qCInfo(lcDevice, "%s does not answer", text);
        return false;
    case CGvcpProbe::Refused:
        // Let Aravis find out what this camera accepts.
        return true;
    case CGvcpProbe::Answered:
        break;
    }
    if (wantControl && (privilege & (gvcp::ExclusiveAccessFlag | gvcp::ControlAccessFlag))) {
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
        const std::optional<CIPv4Address> address = CIPv4Address::Parse(info.address.c_str());
        if (!address || !IsUsableDeviceAddress(*address)) {
            qCDebug(lcDevice, "no usable device address in '%s'", info.address.c_str());
            return false;
        }
        const std::optional<CIPv4Address> local = LocalAddressTowards(*address);
        if (!local) {
            qCInfo(lcDevice, "no route to %s", info.address.c_str());
            return false;
        }
        const bool wantControl = (accessMode & AccessControl) != 0;
        if (!IsWorthConnecting(*local, *address, wantControl, info.address.c_str()))
            return false;
        const TGObjectPtr<GInetAddress> deviceAddress = InetAddress(*address);
        const TGObjectPtr<GInetAddress> localAddress = InetAddress(*local);
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

        m_session = std::make_shared<CDeviceSession>(std::move(device));
        qCDebug(lcDevice, "opened %s (%s), access mode 0x%x", info.address.c_str(), info.deviceId.c_str(),
            unsigned(accessMode));
        return true;
    } catch (const std::exception& error) {
        qCWarning(lcDevice, "cannot open %s: %s", info.address.c_str(), error.what());
        return false;
    }
}

TSharedPtr<gic::IGenICam> CGvDevice::genICam(int index)
{
    if (index != 0 || !m_session)
        return nullptr;
    try {
        return TSharedPtr<gic::IGenICam>(new CGenICam(m_session));
    } catch (const std::bad_alloc&) {
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
