#include "samplefiles.h"

#include <QFile>
#include <QProcess>
#include <QtDebug>

bool writeSampleMovie(const QString& path, int width, int height, int frames, const QStringList& extra)
{
    QProcess generator;
    QStringList arguments { QStringLiteral("-W"), QString::number(width), QStringLiteral("-H"),
        QString::number(height), QStringLiteral("-n"), QString::number(frames), QStringLiteral("--seed"),
        QStringLiteral("7") };
    arguments << extra << path;
    generator.setProcessChannelMode(QProcess::MergedChannels);
    generator.start(QStringLiteral(ZELKIR_MAKE_SAMPLE), arguments);
    if (!generator.waitForFinished(60000) || generator.exitStatus() != QProcess::NormalExit
        || generator.exitCode() != 0) {
        qWarning() << "sample generator failed:" << generator.readAll();
        return false;
    }
    return true;
}

bool writeTruncatedCopy(const QString& from, const QString& to, qint64 bytes)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return out.write(in.read(bytes)) == qMin(bytes, in.size());
}
