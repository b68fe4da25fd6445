#include "fakefeatures.h"

#include <zelk/cam/testing/fakecamerasystem.h>

namespace zelk::cam::testing {

namespace {

SFakeFeature readOrThrow(const std::string& cameraId, const std::string& name)
{
    CFakeCameraSystem& system = CFakeCameraSystem::instance();
    system.record("get " + name);
    SFakeFeature feature;
    if (!system.readFeature(cameraId, name, feature) || feature.throwOnRead)
        throw gic::CFeatureException("read of " + name + " failed");
    return feature;
}

bool writeOrThrow(const std::string& cameraId, const std::string& name, std::int64_t value)
{
    CFakeCameraSystem& system = CFakeCameraSystem::instance();
    system.record("set " + name + " " + std::to_string(value));
    SFakeFeature feature;
    if (!system.readFeature(cameraId, name, feature) || feature.throwOnWrite)
        throw gic::CFeatureException("write of " + name + " failed");
    if (feature.rejectWrite)
        return false;
    system.storeFeatureValue(cameraId, name, value);
    return true;
}

} // namespace

CFakeInteger::CFakeInteger(std::string cameraId, std::string name)
    : m_cameraId(std::move(cameraId)), m_name(std::move(name))
{
}

CString CFakeInteger::name() const
{
    return CString(m_name.c_str());
}

std::int64_t CFakeInteger::getValue()
{
    return readOrThrow(m_cameraId, m_name).value;
}

bool CFakeInteger::setValue(std::int64_t value)
{
    return writeOrThrow(m_cameraId, m_name, value);
}

CFakeBoolean::CFakeBoolean(std::string cameraId, std::string name)
    : m_cameraId(std::move(cameraId)), m_name(std::move(name))
{
}

CString CFakeBoolean::name() const
{
    return CString(m_name.c_str());
}

bool CFakeBoolean::getValue()
{
    return readOrThrow(m_cameraId, m_name).value != 0;
}

bool CFakeBoolean::setValue(bool value)
{
    return writeOrThrow(m_cameraId, m_name, value ? 1 : 0);
}

TSharedPtr<gic::IFeature> CFakeGenICam::feature(const char* name)
{
    CFakeCameraSystem& system = CFakeCameraSystem::instance();
    const std::string featureName = name ? name : "";
    system.record("feature " + featureName);
    SFakeFeature scripted;
    if (!system.readFeature(m_cameraId, featureName, scripted))
        return {};
    switch (scripted.kind) {
    case SFakeFeature::Integer:
        return TSharedPtr<gic::IFeature>(new CFakeInteger(m_cameraId, featureName));
    case SFakeFeature::Boolean:
        return TSharedPtr<gic::IFeature>(new CFakeBoolean(m_cameraId, featureName));
    case SFakeFeature::Other:
        break;
    }
    return TSharedPtr<gic::IFeature>(new CFakeOtherFeature(featureName));
}

} // namespace zelk::cam::testing
