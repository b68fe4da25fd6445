#pragma once

#include "testcameras.h"

#include <zelk/cam/gic/ipfeatures.h>
#include <zelk/cam/testing/fakecamerasystem.h>

#include <dns/ipv4address.h>

#include <QObject>
#include <QStringList>
#include <QVariantMap>

// Lets window tests script the camera double from QML.
class FakeCameraControl : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    Q_INVOKABLE void reset()
    {
        system().reset();
        system().setTransports({ "GigE-Vision" });
    }

    Q_INVOKABLE void addCamera(const QString& id, const QString& currentIP, const QString& ipAddress,
                               const QString& subnetMask, const QString& defaultGateway, bool dhcp)
    {
        system().addCamera(testcameras::standard(id.toStdString(), currentIP.toStdString(), ipAddress.toStdString(),
                                                 subnetMask.toStdString(), defaultGateway.toStdString(), dhcp, !dhcp));
    }

    /// A camera at `currentIP` with persistent settings 192.168.1.10/24, gateway 192.168.1.1,
    /// reachable unless `options` say otherwise. Options: "macAddress", "hostInterface",
    /// "interfaceAddress", "interfaceMask" (where it answers discovery; an interface
    /// elsewhere makes it unreachable), "openFailure" ("noAnswer", "controlled", "failed":
    /// it does not open), "withoutIpFeatures" (true: lacks the persistent-IP flag),
    /// "answersForceIp" (false: ignores a temporary address), "details" (true: offers the
    /// current mask 255.255.255.0, gateway 192.168.1.1 and link-local on).
    Q_INVOKABLE void addCameraWith(const QString& id, const QString& currentIP, const QVariantMap& options)
    {
        namespace gic = zelk::cam::gic;
        using zelk::cam::testing::SFakeFeature;
        zelk::cam::testing::SFakeCamera camera = testcameras::standard(
            id.toStdString(), currentIP.toStdString(), "192.168.1.10", "255.255.255.0", "192.168.1.1", false, true);
        const auto text = [&options](const char* key, const std::string& fallback) {
            return options.contains(key) ? options.value(key).toString().toStdString() : fallback;
        };
        camera.macAddress = text("macAddress", camera.macAddress);
        camera.hostInterface = text("hostInterface", camera.hostInterface);
        camera.interfaceAddress = text("interfaceAddress", camera.interfaceAddress);
        camera.interfaceMask = text("interfaceMask", camera.interfaceMask);
        camera.answersForceIp = options.value("answersForceIp", true).toBool();
        const QString failure = options.value("openFailure").toString();
        if (!failure.isEmpty()) {
            camera.opens = false;
            camera.openFailure = failure == "controlled" ? zelk::cam::EOpenFailure::ControlledElsewhere
                : failure == "failed"                    ? zelk::cam::EOpenFailure::Failed
                                                         : zelk::cam::EOpenFailure::NoAnswer;
        }
        if (options.value("withoutIpFeatures").toBool())
            camera.features.erase(gic::GevCurrentIPConfigurationPersistentIP);
        if (options.value("details").toBool()) {
            camera.features["GevCurrentSubnetMask"]
                = { SFakeFeature::Integer, zelk::cam::testing::genicamAddress("255.255.255.0") };
            camera.features["GevCurrentDefaultGateway"]
                = { SFakeFeature::Integer, zelk::cam::testing::genicamAddress("192.168.1.1") };
            camera.features["GevCurrentIPConfigurationLLA"] = { SFakeFeature::Boolean, 1 };
        }
        system().addCamera(camera);
    }

    Q_INVOKABLE void setCameraOpens(const QString& id, bool opens) { system().setCameraOpens(id.toStdString(), opens); }
    Q_INVOKABLE void setGateClosed(bool closed) { system().setGateClosed(closed); }
    Q_INVOKABLE void clearLog() { system().clearLog(); }

    /// The dotted text of an address feature's value.
    Q_INVOKABLE QString address(const QString& id, const QString& feature) const
    {
        const auto value = static_cast<quint32>(system().featureValue(id.toStdString(), feature.toStdString()));
        return QString::fromLatin1(dns::CIPv4Address::FromValue(value).Text().data());
    }

    Q_INVOKABLE QStringList writes() const { return logLines(QStringLiteral("set ")); }

    /// The double's log lines that start with `prefix`, e.g. "forceip ".
    Q_INVOKABLE QStringList logLines(const QString& prefix) const
    {
        QStringList lines;
        for (const std::string& line : system().log())
            if (QString::fromStdString(line).startsWith(prefix))
                lines.append(QString::fromStdString(line));
        return lines;
    }

private:
    static zelk::cam::testing::CFakeCameraSystem& system()
    {
        return zelk::cam::testing::CFakeCameraSystem::instance();
    }
};
