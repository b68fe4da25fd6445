#pragma once

#include <zelk/cam/cam.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <condition_variable>
#include <string>
#include <vector>

namespace zelk::cam::testing {

/// One scripted GenICam feature.
struct SFakeFeature
{
    enum EKind { Integer, Boolean, Other };

    EKind kind = Integer;
    std::int64_t value = 0;
    bool throwOnRead = false;
    bool throwOnWrite = false;
    bool rejectWrite = false; ///< setValue answers false and stores nothing
};

/// One scripted camera. `id` identifies it in the log and in discovery results.
struct SFakeCamera
{
    std::string id;
    std::string displayName;
    std::string interfaceName = "GigE-Vision";
    std::string address;
    std::string macAddress;                  ///< "aa:bb:cc:dd:ee:ff"; empty: none reported
    std::string hostInterface = "lo";        ///< the host interface it answers discovery on
    std::string interfaceAddress = "127.0.0.1"; ///< that interface's address
    std::string interfaceMask = "255.0.0.0";    ///< and its netmask
    bool hasControlParameter = true;
    bool opens = true;
    EOpenFailure openFailure = EOpenFailure::NoAnswer; ///< reported when `opens` is false
    bool answersForceIp = true;
    bool hasGenICam = true;
    std::map<std::string, SFakeFeature> features;
};

/// The in-memory camera world behind the test double of the camera library. Tests
/// script transports and cameras here, run code against zelk::cam, then read the log
/// of every call the code made. All members are safe to call from any thread.
class CFakeCameraSystem
{
public:
    static CFakeCameraSystem& instance();

    /// Back to no transports, no cameras, an empty log and an open gate.
    void reset();

    /// The transports that IInterfaces::find knows.
    void setTransports(const std::vector<std::string>& names);
    bool hasTransport(const std::string& name) const;

    /// A camera with all six IP features, addresses as dotted text, first octet most
    /// significant in the feature values as a GigE Vision camera holds them.
    static SFakeCamera standardCamera(const std::string& id, const std::string& currentIP,
                                      const std::string& ipAddress, const std::string& subnetMask,
                                      const std::string& defaultGateway, bool dhcp, bool persistentIP);

    void addCamera(const SFakeCamera& camera);
    void setCameraOpens(const std::string& id, bool opens);
    void setFeature(const std::string& id, const std::string& name, const SFakeFeature& feature);
    void removeFeature(const std::string& id, const std::string& name);
    /// The stored value; throws std::out_of_range for an unknown camera or feature.
    std::int64_t featureValue(const std::string& id, const std::string& name) const;

    /// Every call made into the double, one line each, e.g. "find PureGEV",
    /// "open cam1 mode=17 Control=Gen<i>cam IP=-", "set GevPersistentIPAddress 3232235786".
    std::vector<std::string> log() const;
    void clearLog();

    /// While closed, IDevice::open waits (at most ten seconds) until the gate opens,
    /// so tests can hold a scan or an apply in its busy state.
    void setGateClosed(bool closed);

    // Used by the double's classes.
    void record(const std::string& line);
    std::vector<SFakeCamera> camerasOn(const std::vector<std::string>& interfaceNames) const;
    bool findCamera(const std::string& id, SFakeCamera& camera) const;
    void waitForGate();
    bool readFeature(const std::string& id, const std::string& name, SFakeFeature& feature) const;
    void storeFeatureValue(const std::string& id, const std::string& name, std::int64_t value);
    /// Moves the camera to `address` (and its GevCurrentIPAddress feature, when it has one)
    /// if it answers FORCEIP; false when it does not or is unknown.
    bool forceAddress(const std::string& id, const std::string& address);

private:
    CFakeCameraSystem() = default;

    mutable std::mutex m_mutex;
    std::condition_variable m_gateChanged;
    bool m_gateClosed = false;
    std::vector<std::string> m_transports;
    std::vector<SFakeCamera> m_cameras;
    std::vector<std::string> m_log;
};

/// Parses dotted text into a GenICam address value (first octet most significant); 0 for bad text.
std::int64_t genicamAddress(const std::string& dotted);

} // namespace zelk::cam::testing
