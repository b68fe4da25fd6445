#include "cbootstrapflag.h"

#include "cdevicesession.h"
#include "cgerror.h"
#include "featureerrors.h"
#include "gvcp.h"

namespace zelk::cam {

CBootstrapFlag::CBootstrapFlag(
    std::shared_ptr<CDeviceSession> session, CString name, gvcp::EConfigurationFlag flag) noexcept
    : TNamedFeature(std::move(name))
    , m_session(std::move(session))
    , m_flag(flag)
{
}

bool CBootstrapFlag::getValue()
{
    const CDeviceSession::CAccess access = m_session->access();
    if (!access)
        featureerrors::Throw(featureName(), "cannot read", "the device is closed");
    guint32 flags = 0;
    CGError error;
    if (!arv_device_read_register(access.device(), gvcp::CurrentIPConfiguration, &flags, error.out()))
        featureerrors::Throw(featureName(), "cannot read", error ? error.message() : "register read failed");
    return (flags & m_flag) != 0;
}

bool CBootstrapFlag::setValue(bool value)
{
    const CDeviceSession::CAccess access = m_session->access();
    if (!access)
        featureerrors::Throw(featureName(), "cannot write", "the device is closed");
    guint32 flags = 0;
    CGError error;
    if (!arv_device_read_register(access.device(), gvcp::CurrentIPConfiguration, &flags, error.out()))
        return featureerrors::WriteResult(false, error.get(), featureName());
    flags = (value ? flags | m_flag : flags & ~m_flag) | gvcp::LinkLocalFlag;
    const bool written
        = arv_device_write_register(access.device(), gvcp::CurrentIPConfiguration, flags, error.out());
    return featureerrors::WriteResult(written, error.get(), featureName());
}

} // namespace zelk::cam
