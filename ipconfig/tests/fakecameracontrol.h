#pragma once

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

    /// `details` sets what discovery reports and how the camera behaves: "macAddress",
    /// "hostInterface", "interfaceAddress", "interfaceMask" (texts), "openFailure"
    /// ("NoAnswer", "ControlledElsewhere" or "Failed": the camera does not open),
    /// "answersForceIp" (bool) and "missingFeature" (a feature name the camera lacks).
    Q_INVOKABLE void addCamera(const QString& id, const QString& currentIP, const QString& ipAddress,
                               const QString& subnetMask, const QString& defaultGateway, bool dhcp,
                               const QVariantMap& details = {})
    {
        using zelk::cam::EOpenFailure;
        auto camera = zelk::cam::testing::CFakeCameraSystem::standardCamera(
            id.toStdString(), currentIP.toStdString(), ipAddress.toStdString(), subnetMask.toStdString(),
            defaultGateway.toStdString(), dhcp, !dhcp);
        const auto text = [&](const char* key, std::string& field) {
            if (details.contains(QLatin1String(key)))
                field = details.value(QLatin1String(key)).toString().toStdString();
        };
        text("macAddress", camera.macAddress);
        text("hostInterface", camera.hostInterface);
        text("interfaceAddress", camera.interfaceAddress);
        text("interfaceMask", camera.interfaceMask);
        const QString failure = details.value(QStringLiteral("openFailure")).toString();
        if (!failure.isEmpty()) {
            camera.opens = false;
            camera.openFailure = failure == QLatin1String("ControlledElsewhere") ? EOpenFailure::ControlledElsewhere
                               : failure == QLatin1String("Failed")              ? EOpenFailure::Failed
                                                                                 : EOpenFailure::NoAnswer;
        }
        camera.answersForceIp = details.value(QStringLiteral("answersForceIp"), true).toBool();
        camera.features.erase(details.value(QStringLiteral("missingFeature")).toString().toStdString());
        system().addCamera(camera);
    }

    /// From now on a write to `feature` of camera `id` throws, as when the camera stops answering.
    Q_INVOKABLE void failWrites(const QString& id, const QString& feature)
    {
        zelk::cam::testing::SFakeFeature value;
        if (system().readFeature(id.toStdString(), feature.toStdString(), value)) {
            value.throwOnWrite = true;
            system().setFeature(id.toStdString(), feature.toStdString(), value);
        }
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

    Q_INVOKABLE QStringList writes() const { return logLines("set "); }
    /// The temporary addresses sent, "forceip <id> <address> <mask> <gateway>" each.
    Q_INVOKABLE QStringList forcedAddresses() const { return logLines("forceip "); }

private:
    static QStringList logLines(const char* prefix)
    {
        QStringList lines;
        for (const std::string& line : system().log())
            if (line.rfind(prefix, 0) == 0)
                lines.append(QString::fromStdString(line));
        return lines;
    }

    static zelk::cam::testing::CFakeCameraSystem& system()
    {
        return zelk::cam::testing::CFakeCameraSystem::instance();
    }
};
