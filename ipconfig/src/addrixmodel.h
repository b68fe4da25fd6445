#pragma once

#include <zelk/cam/records.h>

#include <dns/hostinterfaces.h>

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <vector>

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
    /// Cameras discovery found that the scan cannot configure, each a QVariantMap with keys
    /// "displayName", "model", "serial", "macAddress", "address", "hostInterface",
    /// "hostSubnet" ("192.168.1.0/24", empty when unknown), "reason" (the text shown),
    /// "reasonCode" ("unreachable" | "controlled" | "noAnswer" | "noIpFeatures") and
    /// "canForceIp" (unreachable cameras with a MAC and a known host interface).
    Q_PROPERTY(QVariantList unconfigurableCameras READ unconfigurableCameras NOTIFY unconfigurableCamerasChanged)
    /// "1 more camera cannot be configured" / "N more cameras cannot be configured"; empty when none.
    Q_PROPERTY(QString unconfigurableSummary READ unconfigurableSummary NOTIFY unconfigurableCamerasChanged)
    /// The selected camera's details: "macAddress", "currentIP", "currentSubnetMask",
    /// "currentDefaultGateway", "hostInterface", "hostSubnet", "linkLocal" (bool), "note",
    /// "applyOutcome" (empty, or what a failed apply changed on the camera). Empty while
    /// nothing is selected.
    Q_PROPERTY(QVariantMap selectedDetails READ selectedDetails NOTIFY selectedDetailsChanged)
    /// Non-empty while the fixed address typed is already used by this computer or by
    /// another camera found.
    Q_PROPERTY(QString addressWarning READ addressWarning NOTIFY addressWarningChanged)
    /// True while a temporary address is being sent (until the rescan after it starts).
    Q_PROPERTY(bool forcing READ forcing NOTIFY forcingChanged)

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
        // Read for the details only; a camera without them is still listed.
        QString currentSubnetMask;
        QString currentDefaultGateway;
        bool linkLocal = false;
        // What the camera was last known to hold, as against the edited values above.
        struct
        {
            bool dhcpEnabled = false;
            QString ipAddress;
            QString subnetMask;
            QString defaultGateway;
        } held;
        // What the last failed apply left changed on the camera; empty otherwise.
        QString applyOutcome;

        /// Records the edited values as what the camera holds.
        void holdEdited() { held = { dhcpEnabled, ipAddress, subnetMask, defaultGateway }; }
        /// Sets the edits aside: back to what the camera holds.
        void editHeld()
        {
            dhcpEnabled = held.dhcpEnabled;
            ipAddress = held.ipAddress;
            subnetMask = held.subnetMask;
            defaultGateway = held.defaultGateway;
        }
    };

    /// Why the scan could not configure a camera discovery found.
    enum class EUnconfigurable { Unreachable, Controlled, NoAnswer, NoIpFeatures };

    /// A camera discovery found but the scan could not configure.
    struct SUnconfigurable
    {
        zelk::cam::SCameraInfo cameraInfo;
        EUnconfigurable reason = EUnconfigurable::NoAnswer;
    };

    /// What a scan task hands back to the GUI thread.
    struct SScanResult
    {
        QList<SIpSettings> cameras;
        QList<SUnconfigurable> unconfigurable;
        std::vector<dns::SHostInterface> hostInterfaces;
    };

    /// What an apply task hands back: whether it succeeded, and what the camera holds after it.
    struct SApplyResult
    {
        bool succeeded = false;
        SIpSettings settings; // what the camera holds, as read back or, failing that, inferred
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
    QVariantList unconfigurableCameras() const;
    QString unconfigurableSummary() const;
    QVariantMap selectedDetails() const;
    QString addressWarning() const;
    bool forcing() const;

    void setSelectedCamera(int index);
    void setDhcpEnabled(bool enabled);
    void setIpAddress(QString address);
    void setSubnetMask(QString mask);
    void setDefaultGateway(QString gateway);

    Q_INVOKABLE void apply();
    Q_INVOKABLE void scan();

    /// A free address for unconfigurableCameras[index] on the subnet of the host interface it
    /// answered on: not the host's, not another known camera's, not the network or broadcast
    /// address; empty when there is none or the index is out of range.
    Q_INVOKABLE QString proposeForceIpAddress(int index) const;
    /// The subnet mask proposed with it (the host interface's); empty when unknown.
    Q_INVOKABLE QString proposeForceIpSubnetMask(int index) const;
    /// Sends a temporary address to unconfigurableCameras[index] on a pool thread; on
    /// acknowledgement emits forceIpSucceeded() and rescans, otherwise forceIpFailed(message).
    Q_INVOKABLE void forceIp(int index, const QString& address, const QString& subnetMask,
                             const QString& defaultGateway);

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
    void unconfigurableCamerasChanged();
    void selectedDetailsChanged();
    void addressWarningChanged();
    void forcingChanged();
    void forceIpSucceeded();
    void forceIpFailed(const QString& message);

private slots:
    void doneScanning();
    void doneApplying();
    void doneForcing();

private:
    bool hasSelection() const;
    // Tells every observer of the selected camera's values that they may have changed.
    void announceSelection();
    const SIpSettings* selectedEntry() const;
    SIpSettings* selectedEntry();
    // Stores a text field of the selected entry and announces it; nothing when unchanged.
    void setSelectedText(QString SIpSettings::*field, QString value, void (AddrixModel::*changed)());
    // Recomputes the address warning and announces it when its text changed.
    void updateAddressWarning();
    QString computeAddressWarning() const;
    // Who already uses `address`: "this computer (eth0)", a camera's name; empty when free.
    QString addressUser(std::uint32_t address, int exceptCamera) const;
    QString forceIpProblem(int index, const QString& address, const QString& subnetMask,
                           const QString& defaultGateway) const;
    // Replaces the applied entry's values by what the camera holds and announces the changes.
    void takeAppliedState(const SApplyResult& result);

    // The pool threads' parts: static, as they touch nothing of the model, which may be
    // gone before they end.
    static SScanResult DoScan();
    static SApplyResult DoApply(SIpSettings settings);
    static QString DoForceIp(zelk::cam::SDeviceInfo device, std::uint32_t address, std::uint32_t subnetMask,
                             std::uint32_t defaultGateway);

    QList<SIpSettings> m_settings;
    QStringList m_cameras;
    int m_selectedCamera = -1;
    bool m_scanning = false;
    bool m_applying = false;
    QList<SUnconfigurable> m_unconfigurable;
    std::vector<dns::SHostInterface> m_hostInterfaces;
    QString m_addressWarning;
    bool m_forcing = false;
    bool m_rescanWanted = false; // a temporary address was taken while a scan ran
    // The entry being applied, found again by its device when the task ends.
    int m_applyingCamera = -1;
    QByteArray m_applyingDevice;
    QFutureWatcher<SScanResult> m_scanWatcher;
    QFutureWatcher<SApplyResult> m_applyWatcher;
    QFutureWatcher<QString> m_forceWatcher; // empty text: acknowledged
};
