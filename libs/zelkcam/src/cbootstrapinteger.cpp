#include "cbootstrapinteger.h"

#include "cdevicesession.h"
#include "cgerror.h"
#include "featureerrors.h"

namespace zelk::cam {

CBootstrapInteger::CBootstrapInteger(
    std::shared_ptr<CDeviceSession> session, CString name, gvcp::ERegister address, bool writable) noexcept
    : TNamedFeature(std::move(name))
    , m_session(std::move(session))
    , m_address(address)
    , m_writable(writable)
{
}

std::int64_t CBootstrapInteger::getValue()
{
    const CDeviceSession::CAccess access = m_session->access();
    if (!access)
        featureerrors::Throw(featureName(), "cannot read", "the device is closed");
    guint32 value = 0;
    CGError error;
    if (!arv_device_read_register(access.device(), m_address, &value, error.out()))
        featureerrors::Throw(featureName(), "cannot read", error ? error.message() : "register read failed");
    return value;
}

bool CBootstrapInteger::setValue(std::int64_t value)
{
    if (!m_writable || value < 0 || value > 0xffffffffLL)
        return false;
    const CDeviceSession::CAccess access = m_session->access();
    if (!access)
        featureerrors::Throw(featureName(), "cannot write", "the device is closed");
    CGError error;
    const bool written = arv_device_write_register(access.device(), m_address, guint32(value), error.out());
    return featureerrors::WriteResult(written, error.get(), featureName());
}

} // namespace zelk::cam
