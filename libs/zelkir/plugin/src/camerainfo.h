#pragma once

#include <zelk/cam/records.h>

#include <dns/hostinterfaces.h>

#include <QObject>
#include <QString>
#include <qqmlregistration.h>

#include <optional>
#include <vector>

namespace zelkir {

/// One camera as the finder saw it or a file remembered it: what the user recognises it by
/// and what it takes to connect to it. The values never change; a new scan or load makes
/// new objects.
class CameraInfo final : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the camera finder")
    Q_PROPERTY(QString displayName READ displayName CONSTANT)
    Q_PROPERTY(QString model READ model CONSTANT)
    Q_PROPERTY(QString vendor READ vendor CONSTANT)
    Q_PROPERTY(QString serial READ serial CONSTANT)
    /// The camera's IPv4 address, dotted decimal; empty on transports without addresses.
    Q_PROPERTY(QString address READ address CONSTANT)
    Q_PROPERTY(QString macAddress READ macAddress CONSTANT)
    /// The host's address the camera answered on; empty when unknown.
    Q_PROPERTY(QString interfaceAddress READ interfaceAddress CONSTANT)
    /// The name of the host interface holding interfaceAddress ("eth0"); empty when unknown.
    Q_PROPERTY(QString interfaceName READ interfaceName CONSTANT)
    /// The transport it was found on ("GigE-Vision").
    Q_PROPERTY(QString transport READ transport CONSTANT)
    /// False when the camera has an address that lies on none of the host's subnets, so
    /// that no connection can reach it until its address is changed.
    Q_PROPERTY(bool reachable READ reachable CONSTANT)

public:
    /// `host` decides reachable and interfaceName; it is not kept.
    CameraInfo(const zelk::cam::SCameraInfo& camera, const std::vector<dns::SHostInterface>& host,
        QObject* parent = nullptr);

    QString displayName() const;
    QString model() const;
    QString vendor() const;
    QString serial() const;
    QString address() const;
    QString macAddress() const;
    QString interfaceAddress() const;
    QString interfaceName() const { return m_interfaceName; }
    QString transport() const;
    bool reachable() const { return m_reachable; }

    /// The record to connect with.
    zelk::cam::SCameraInfo cameraInfo() const { return m_camera; }
    zelk::cam::SDeviceInfo deviceInfo() const { return m_camera.deviceInfo; }

    /// Writes the camera to `path` as a small XML file, replacing the file only once the
    /// whole text is written. False when it cannot be written.
    Q_INVOKABLE bool save(const QString& path) const;

    /// The text save() writes.
    QByteArray toXml() const;
    /// The camera in a text that save() wrote; empty with `error` set when the text is not
    /// well-formed, is some other document, comes from another version or names no camera.
    static std::optional<zelk::cam::SCameraInfo> fromXml(const QByteArray& xml, QString& error);

private:
    const zelk::cam::SCameraInfo m_camera;
    QString m_interfaceName;
    bool m_reachable = true;
};

} // namespace zelkir
