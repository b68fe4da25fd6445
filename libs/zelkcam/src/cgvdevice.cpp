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
#include <string>

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
bool IsWorthConnecting(CIPv4Address local, CIPv4Address address, bool wantControl, const std::string& text,
    std::string& error, EOpenFailure& failure)
{
    std::uint32_t privilege = 0;
    switch (CGvcpProbe::ReadRegister(local, address, gvcp::ControlChannelPrivilege, privilege)) {
    case CGvcpProbe::Silent:
        error = "The camera at " + text + " does not answer.";
        failure = EOpenFailure::NoAnswer;
        return false;
    case CGvcpProbe::Refused:
        // Let Aravis find out what this camera accepts.
        return true;
    case CGvcpProbe::Answered:
        break;
    }
    if (wantControl && (privilege & (gvcp::ExclusiveAccessFlag | gvcp::ControlAccessFlag))) {
        error = "The camera at " + text + " is controlled by another program.";
        failure = EOpenFailure::ControlledElsewhere;
        return false;
    }
    return true;
}

// Aravis asks for control while it connects (and has retried by then); settle
// what the caller asked for.
bool SettleControl(ArvGvDevice* device, bool wantControl, const std::string& address, std::string& error,
    EOpenFailure& failure)
{
    const bool controller = arv_gv_device_is_controller(device);
    if (wantControl && !controller) {
        // Refused with "access denied": another application took the channel in between.
        error = "The camera at " + address + " refuses control.";
        failure = EOpenFailure::ControlledElsewhere;
        return false;
    } else if (!wantControl && controller) {
        CGError aravis;
        if (!arv_gv_device_leave_control(device, aravis.out()))
            qCDebug(lcDevice, "%s: cannot hand control back: %s", address.c_str(), aravis.message());
    }
    return true;
}

} // namespace

TGObjectPtr<ArvDevice> ConnectGvDevice(
    const SDeviceInfo& info, bool wantControl, std::string& error, EOpenFailure* failure)
{
    EOpenFailure ignored = EOpenFailure::Failed;
    EOpenFailure& why = failure ? *failure : ignored;
    why = EOpenFailure::Failed;
    const std::string text = info.address.c_str();
    if (info.interfaceName != CString(CGvInterface::Name)) {
        error = "\u201c" + std::string(info.deviceId.c_str()) + "\u201d is not a GigE Vision camera.";
        return {};
    }
    const std::optional<CIPv4Address> address = CIPv4Address::Parse(text.c_str());
    if (!address || !IsUsableDeviceAddress(*address)) {
        error = "\u201c" + text + "\u201d is not a usable camera address.";
        return {};
    }
    const std::optional<CIPv4Address> local = LocalAddressTowards(*address);
    if (!local) {
        error = "This computer has no route to " + text + ".";
        return {};
    }
    if (!IsWorthConnecting(*local, *address, wantControl, text, error, why))
        return {};
    const TGObjectPtr<GInetAddress> deviceAddress = InetAddress(*address);
    const TGObjectPtr<GInetAddress> localAddress = InetAddress(*local);
    if (!deviceAddress || !localAddress) {
        error = "Cannot open the camera at " + text + ".";
        return {};
    }

    // Straight to the known address: going through the interface's open would
    // search for the camera again, which can cost a discovery round.
    CGError aravis;
    TGObjectPtr<ArvDevice> device;
    {
        std::lock_guard<std::mutex> lock(AravisParserMutex());
        device = TGObjectPtr<ArvDevice>(
            arv_gv_device_new(localAddress.get(), deviceAddress.get(), aravis.out()));
    }
    if (!device) {
        error = "Cannot open the camera at " + text + ": " + aravis.message();
        return {};
    }
    if (!SettleControl(ARV_GV_DEVICE(device.get()), wantControl, text, error, why))
        return {};
    // Let Aravis refuse out-of-range values and writes to read-only nodes, so
    // that writes can report them.
    arv_device_set_range_check_policy(device.get(), ARV_RANGE_CHECK_POLICY_ENABLE);
    arv_device_set_access_check_policy(device.get(), ARV_ACCESS_CHECK_POLICY_ENABLE);
    why = EOpenFailure::None;
    return device;
}

CGvDevice::CGvDevice() noexcept = default;

CGvDevice::~CGvDevice()
{
    close();
}

bool CGvDevice::open(SDeviceInfo info, int accessMode)
{
    try {
        close();
        m_openFailure = EOpenFailure::Failed;
        std::string error;
        TGObjectPtr<ArvDevice> device
            = ConnectGvDevice(info, (accessMode & AccessControl) != 0, error, &m_openFailure);
        if (!device) {
            qCInfo(lcDevice, "%s", error.c_str());
            return false;
        }
        m_session = std::make_shared<CDeviceSession>(std::move(device));
        qCDebug(lcDevice, "opened %s (%s), access mode 0x%x", info.address.c_str(), info.deviceId.c_str(),
            unsigned(accessMode));
        return true;
    } catch (const std::exception& error) {
        qCWarning(lcDevice, "cannot open %s: %s", info.address.c_str(), error.what());
        m_openFailure = EOpenFailure::Failed;
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

EOpenFailure CGvDevice::openFailure() const
{
    return m_openFailure;
}

void CGvDevice::close()
{
    if (m_session) {
        m_session->close();
        m_session.reset();
    }
}

} // namespace zelk::cam
