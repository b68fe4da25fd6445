#pragma once

#include <zelk/cam/records.h>

#include <QList>
#include <QStringList>

/// The fake cameras that scripts/with-fake-cameras.sh started around this test.
class CFakeCameras
{
public:
    CFakeCameras();

    int count() const { return m_addresses.size(); }
    const QStringList& addresses() const { return m_addresses; }
    const QStringList& serials() const { return m_serials; }

    /// The record a discovery would give for camera `index`, made without discovery.
    zelk::cam::SDeviceInfo deviceRecord(int index) const;

    /// Stops camera `index` and waits until it is gone. False when it would not go.
    bool stop(int index) const;

    /// Sends `pid` SIGTERM and waits up to 5 s until it is gone. False when it would not go.
    static bool stopProcess(qint64 pid);
    /// Whether process `pid` has ended. A stopped camera may linger as a zombie until
    /// whoever started it reaps it; it answers nothing by then, so it counts as gone.
    static bool isGone(qint64 pid);

    /// Dotted address text as a GenICam integer (first octet most significant); 0 for bad text.
    static quint32 toIPv4(const QString& address);
    /// The other way round.
    static QString ipv4Text(quint32 address);

private:
    QStringList m_addresses;
    QStringList m_serials;
    QList<qint64> m_pids;
};
