#include "cintegerfeature.h"

#include "cdevicesession.h"
#include "cgerror.h"
#include "featureerrors.h"

namespace zelk::cam {

CIntegerFeature::CIntegerFeature(
    std::shared_ptr<CDeviceSession> session, ArvGcInteger* node, CString name) noexcept
    : TNamedFeature(std::move(name))
    , m_session(std::move(session))
    , m_node(node)
{
}

std::int64_t CIntegerFeature::getValue()
{
    const CDeviceSession::CAccess access = m_session->access();
    if (!access)
        featureerrors::Throw(featureName(), "cannot read", "the device is closed");
    CGError error;
    const gint64 value = arv_gc_integer_get_value(m_node, error.out());
    if (error)
        featureerrors::Throw(featureName(), "cannot read", error.message());
    return value;
}

bool CIntegerFeature::setValue(std::int64_t value)
{
    const CDeviceSession::CAccess access = m_session->access();
    if (!access)
        featureerrors::Throw(featureName(), "cannot write", "the device is closed");
    CGError error;
    arv_gc_integer_set_value(m_node, value, error.out());
    return featureerrors::WriteResult(!error, error.get(), featureName());
}

} // namespace zelk::cam
