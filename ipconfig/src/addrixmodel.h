#pragma once

#include <zelk/cam/records.h>

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

/// The IP configuration tool's backend: the cameras found by the last scan, the
/// selected camera's editable IP configuration, and the scan and apply tasks, which
/// run on the global thread pool and report back on the GUI thread.
class AddrixModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList cameras READ cameras NOTIFY camerasChanged)
    Q_PROPERTY(int selectedCamera READ selectedCamera WRITE setSelectedCamera NOTIFY selectedCameraChanged)
    Q_PROPERTY(QString currentIP READ currentIP NOTIFY currentIPChanged)
    Q_PROPERTY(bool dhcpEnabled READ dhcpEnabled WRITE setDhcpEnabled NOTIFY dhcpEnabledChanged)
    Q_PROPERTY(QString ipAddress READ ipAddress WRITE setIpAddress NOTIFY ipAddressChanged)
    Q_PROPERTY(QString subnetMask READ subnetMask WRITE setSubnetMask NOTIFY subnetMaskChanged)
    Q_PROPERTY(QString defaultGateway READ defaultGateway WRITE setDefaultGateway NOTIFY defaultGatewayChanged)
    Q_PROPERTY(bool scanning READ scanning NOTIFY scanningChanged)
    Q_PROPERTY(bool applying READ applying NOTIFY applyingChanged)
    // Depends only on the IP address, so the address's signal announces it.
    Q_PROPERTY(QString recommendedSubnetMask READ recommendedSubnetMask NOTIFY ipAddressChanged)
    Q_PROPERTY(bool settingsValid READ settingsValid NOTIFY settingsValidChanged)

public:
    /// One camera and its IP configuration; addresses are dotted decimal text.
    struct SIpSettings
    {
        zelk::cam::SCameraInfo cameraInfo;
        QString currentIP;
        bool dhcpEnabled = false;
        QString ipAddress;
        QString subnetMask;
        QString defaultGateway;
    };

    explicit AddrixModel(QObject* parent = nullptr);

    QStringList cameras() const;
    int selectedCamera() const;
    QString currentIP() const;
    bool dhcpEnabled() const;
    QString ipAddress() const;
    QString subnetMask() const;
    QString defaultGateway() const;
    bool scanning() const;
    bool applying() const;
    QString recommendedSubnetMask() const;
    bool settingsValid() const;

    void setSelectedCamera(int index);
    void setDhcpEnabled(bool enabled);
    void setIpAddress(QString address);
    void setSubnetMask(QString mask);
    void setDefaultGateway(QString gateway);

    Q_INVOKABLE void apply();
    Q_INVOKABLE void scan();

signals:
    void camerasChanged();
    void selectedCameraChanged();
    void currentIPChanged();
    void dhcpEnabledChanged();
    void ipAddressChanged();
    void subnetMaskChanged();
    void defaultGatewayChanged();
    void scanningChanged();
    void applyingChanged();
    void applyFailed();
    void settingsValidChanged();

private slots:
    void doneScanning();
    void doneApplying();

private:
    bool hasSelection() const;
    // Tells every observer of the selected camera's values that they may have changed.
    void announceSelection();
    const SIpSettings* selectedEntry() const;
    SIpSettings* selectedEntry();
    // Stores a text field of the selected entry and announces it; nothing when unchanged.
    void setSelectedText(QString SIpSettings::*field, QString value, void (AddrixModel::*changed)());

    QList<SIpSettings> DoScan();
    bool DoApply(SIpSettings settings);

    QList<SIpSettings> m_settings;
    QStringList m_cameras;
    int m_selectedCamera = -1;
    bool m_scanning = false;
    bool m_applying = false;
    QFutureWatcher<QList<SIpSettings>> m_scanWatcher;
    QFutureWatcher<bool> m_applyWatcher;
};
