#include "cgenicam.h"

#include "cbooleanfeature.h"
#include "cdevicesession.h"
#include "cfeature.h"
#include "cgerror.h"
#include "cgevbootstrapfeatures.h"
#include "cintegerfeature.h"
#include "logging.h"

#include <arv.h>

#include <new>

namespace zelk::cam {

namespace {

enum class EKind { Absent, Integer, Boolean, Other };

EKind KindOf(ArvGcNode* node, const char* name)
{
    if (!ARV_IS_GC_FEATURE_NODE(node))
        return EKind::Absent;
    CGError error;
    // A node the description declares but switches off counts as missing. If the
    // check itself fails, keep the node: its own reads will report the problem.
    if (!arv_gc_feature_node_is_implemented(ARV_GC_FEATURE_NODE(node), error.out()) && !error)
        return EKind::Absent;
    if (error)
        qCDebug(lcGenICam, "cannot tell whether %s is implemented: %s", name, error.message());
    if (ARV_IS_GC_BOOLEAN(node))
        return EKind::Boolean;
    // Enumerations answer to Aravis's integer interface too, but they are a kind of their own.
    if (ARV_IS_GC_INTEGER(node) && !ARV_IS_GC_ENUMERATION(node))
        return EKind::Integer;
    return EKind::Other;
}

} // namespace

CGenICam::CGenICam(std::shared_ptr<CDeviceSession> session) noexcept
    : m_session(std::move(session))
{
}

TSharedPtr<gic::IFeature> CGenICam::feature(const char* name)
{
    if (!name || !*name)
        return nullptr;
    try {
        EKind kind = EKind::Absent;
        ArvGcNode* node = nullptr;
        bool gigEVision = false;
        {
            const CDeviceSession::CAccess access = m_session->access();
            if (!access)
                return nullptr;
            node = arv_device_get_feature(access.device(), name);
            kind = KindOf(node, name);
            gigEVision = ARV_IS_GV_DEVICE(access.device());
        }
        switch (kind) {
        case EKind::Integer:
            return TSharedPtr<gic::IFeature>(
                new CIntegerFeature(m_session, ARV_GC_INTEGER(node), CString(name)));
        case EKind::Boolean:
            return TSharedPtr<gic::IFeature>(
                new CBooleanFeature(m_session, ARV_GC_BOOLEAN(node), CString(name)));
        case EKind::Other:
            return TSharedPtr<gic::IFeature>(new CFeature(CString(name)));
        case EKind::Absent:
            break;
        }
        if (gigEVision)
            return CGevBootstrapFeatures::Create(m_session, name);
        return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace zelk::cam
