#include "cfakecameras.h"

#include <dns/ipv4address.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace {

QStringList Words(const char* variable)
{
    return qEnvironmentVariable(variable).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

CFakeCameras::CFakeCameras()
    : m_addresses(Words("QELT_FAKE_CAMERAS"))
    , m_serials(Words("QELT_FAKE_CAMERA_SERIALS"))
{
    for (const QString& pid : Words("QELT_FAKE_CAMERA_PIDS"))
        m_pids.append(pid.toLongLong());
}

zelk::cam::SDeviceInfo CFakeCameras::deviceRecord(int index) const
{
    zelk::cam::SDeviceInfo info;
    info.interfaceName = "GigE-Vision";
    info.address = m_addresses.value(index).toUtf8().constData();
    info.raw.ipAddress = toIPv4(m_addresses.value(index));
    info.parameters["Control"].setValue(zelk::CVariant("GenICam"));
    return info;
}

bool CFakeCameras::stop(int index) const
{
    return stopProcess(m_pids.value(index, 0));
}

bool CFakeCameras::stopProcess(qint64 pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), SIGTERM) != 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!isGone(pid)) {
        if (timer.elapsed() > 5000)
            return false;
        QThread::msleep(10);
    }
    return true;
}

bool CFakeCameras::isGone(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const int end = line.lastIndexOf(')');
    return end < 0 || line.mid(end + 2, 1) == "Z";
}

quint32 CFakeCameras::toIPv4(const QString& address)
{
    return dns::CIPv4Address::Parse(address.toUtf8().constData()).value_or(dns::CIPv4Address()).Value();
}

QString CFakeCameras::ipv4Text(quint32 address)
{
    return QString::fromLatin1(dns::CIPv4Address::FromValue(address).Text().data());
}
