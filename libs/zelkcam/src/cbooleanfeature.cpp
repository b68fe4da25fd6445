#include "cbooleanfeature.h"

#include "cdevicesession.h"
#include "cgerror.h"
#include "featureerrors.h"

namespace zelk::cam {

CBooleanFeature::CBooleanFeature(
    std::shared_ptr<CDeviceSession> session, ArvGcBoolean* node, CString name) noexcept
    : TNamedFeature(std::move(name))
    , m_session(std::move(session))
    , m_node(node)
{
}

bool CBooleanFeature::getValue()
{
    const CDeviceSession::CAccess access = m_session->access();
    if (!access)
        featureerrors::Throw(featureName(), "cannot read", "the device is closed");
    CGError error;
    const gboolean value = arv_gc_boolean_get_value(m_node, error.out());
    if (error)
        featureerrors::Throw(featureName(), "cannot read", error.message());
    return value != FALSE;
}

bool CBooleanFeature::setValue(bool value)
{
    const CDeviceSession::CAccess access = m_session->access();
    if (!access)
        featureerrors::Throw(featureName(), "cannot write", "the device is closed");
    CGError error;
    arv_gc_boolean_set_value(m_node, value ? TRUE : FALSE, error.out());
    return featureerrors::WriteResult(!error, error.get(), featureName());
}

} // namespace zelk::cam
