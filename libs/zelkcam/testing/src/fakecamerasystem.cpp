#include <zelk/cam/testing/fakecamerasystem.h>

#include <zelk/cam/gic/ipfeatures.h>

#include <dns/ipv4address.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace zelk::cam::testing {

CFakeCameraSystem& CFakeCameraSystem::instance()
{
    static CFakeCameraSystem system;
    return system;
}

void CFakeCameraSystem::reset()
{
    std::lock_guard lock(m_mutex);
    m_transports.clear();
    m_cameras.clear();
    m_log.clear();
    m_gateClosed = false;
    m_gateChanged.notify_all();
}

void CFakeCameraSystem::setTransports(const std::vector<std::string>& names)
{
    std::lock_guard lock(m_mutex);
    m_transports = names;
}

bool CFakeCameraSystem::hasTransport(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    return std::find(m_transports.begin(), m_transports.end(), name) != m_transports.end();
}

std::int64_t genicamAddress(const std::string& dotted)
{
    return dns::CIPv4Address::Parse(dotted.c_str()).value_or(dns::CIPv4Address()).Value();
}

SFakeCamera CFakeCameraSystem::standardCamera(const std::string& id, const std::string& currentIP,
                                              const std::string& ipAddress, const std::string& subnetMask,
                                              const std::string& defaultGateway, bool dhcp, bool persistentIP)
{
    SFakeCamera camera;
    camera.id = id;
    camera.displayName = id;
    camera.address = currentIP;
    const auto integer = [](std::int64_t value) { return SFakeFeature { SFakeFeature::Integer, value }; };
    const auto boolean = [](bool value) { return SFakeFeature { SFakeFeature::Boolean, value ? 1 : 0 }; };
    camera.features[gic::GevCurrentIPAddress] = integer(genicamAddress(currentIP));
    camera.features[gic::GevPersistentIPAddress] = integer(genicamAddress(ipAddress));
    camera.features[gic::GevPersistentSubnetMask] = integer(genicamAddress(subnetMask));
    camera.features[gic::GevPersistentDefaultGateway] = integer(genicamAddress(defaultGateway));
    camera.features[gic::GevCurrentIPConfigurationDHCP] = boolean(dhcp);
    camera.features[gic::GevCurrentIPConfigurationPersistentIP] = boolean(persistentIP);
    return camera;
}

void CFakeCameraSystem::addCamera(const SFakeCamera& camera)
{
    std::lock_guard lock(m_mutex);
    m_cameras.push_back(camera);
}

void CFakeCameraSystem::setCameraOpens(const std::string& id, bool opens)
{
    std::lock_guard lock(m_mutex);
    for (SFakeCamera& camera : m_cameras)
        if (camera.id == id)
            camera.opens = opens;
}

void CFakeCameraSystem::setFeature(const std::string& id, const std::string& name, const SFakeFeature& feature)
{
    std::lock_guard lock(m_mutex);
    for (SFakeCamera& camera : m_cameras)
        if (camera.id == id)
            camera.features[name] = feature;
}

void CFakeCameraSystem::removeFeature(const std::string& id, const std::string& name)
{
    std::lock_guard lock(m_mutex);
    for (SFakeCamera& camera : m_cameras)
        if (camera.id == id)
            camera.features.erase(name);
}

std::int64_t CFakeCameraSystem::featureValue(const std::string& id, const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    for (const SFakeCamera& camera : m_cameras)
        if (camera.id == id)
            return camera.features.at(name).value;
    throw std::out_of_range("no camera " + id);
}

std::vector<std::string> CFakeCameraSystem::log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

void CFakeCameraSystem::clearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

void CFakeCameraSystem::setGateClosed(bool closed)
{
    std::lock_guard lock(m_mutex);
    m_gateClosed = closed;
    m_gateChanged.notify_all();
}

void CFakeCameraSystem::record(const std::string& line)
{
    std::lock_guard lock(m_mutex);
    m_log.push_back(line);
}

std::vector<SFakeCamera> CFakeCameraSystem::camerasOn(const std::vector<std::string>& interfaceNames) const
{
    std::lock_guard lock(m_mutex);
    std::vector<SFakeCamera> found;
    for (const SFakeCamera& camera : m_cameras)
        if (std::find(interfaceNames.begin(), interfaceNames.end(), camera.interfaceName) != interfaceNames.end())
            found.push_back(camera);
    return found;
}

bool CFakeCameraSystem::findCamera(const std::string& id, SFakeCamera& camera) const
{
    std::lock_guard lock(m_mutex);
    for (const SFakeCamera& candidate : m_cameras) {
        if (candidate.id == id) {
            camera = candidate;
            return true;
        }
    }
    return false;
}

void CFakeCameraSystem::waitForGate()
{
    std::unique_lock lock(m_mutex);
    m_gateChanged.wait_for(lock, std::chrono::seconds(10), [this] { return !m_gateClosed; });
}

bool CFakeCameraSystem::readFeature(const std::string& id, const std::string& name, SFakeFeature& feature) const
{
    std::lock_guard lock(m_mutex);
    for (const SFakeCamera& camera : m_cameras) {
        if (camera.id != id)
            continue;
        const auto it = camera.features.find(name);
        if (it == camera.features.end())
            return false;
        feature = it->second;
        return true;
    }
    return false;
}

void CFakeCameraSystem::storeFeatureValue(const std::string& id, const std::string& name, std::int64_t value)
{
    std::lock_guard lock(m_mutex);
    for (SFakeCamera& camera : m_cameras)
        if (camera.id == id)
            camera.features[name].value = value;
}

bool CFakeCameraSystem::forceAddress(const std::string& id, const std::string& address)
{
    std::lock_guard lock(m_mutex);
    for (SFakeCamera& camera : m_cameras) {
        if (camera.id != id)
            continue;
        if (!camera.answersForceIp)
            return false;
        camera.address = address;
        const auto current = camera.features.find(gic::GevCurrentIPAddress);
        if (current != camera.features.end())
            current->second.value = genicamAddress(address);
        return true;
    }
    return false;
}

} // namespace zelk::cam::testing
