#pragma once

#include <zelk/cam/testing/fakecamerasystem.h>

#include <dns/ipv4address.h>

#include <QObject>
#include <QStringList>

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
        system().addCamera(zelk::cam::testing::CFakeCameraSystem::standardCamera(
            id.toStdString(), currentIP.toStdString(), ipAddress.toStdString(), subnetMask.toStdString(),
            defaultGateway.toStdString(), dhcp, !dhcp));
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

    Q_INVOKABLE QStringList writes() const
    {
        QStringList lines;
        for (const std::string& line : system().log())
            if (line.rfind("set ", 0) == 0)
                lines.append(QString::fromStdString(line));
        return lines;
    }

private:
    static zelk::cam::testing::CFakeCameraSystem& system()
    {
        return zelk::cam::testing::CFakeCameraSystem::instance();
    }
};
