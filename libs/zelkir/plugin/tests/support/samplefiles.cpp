#include "samplefiles.h"

#include <QFile>

bool writeTruncatedCopy(const QString& from, const QString& to, qint64 bytes)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return out.write(in.read(bytes)) == qMin(bytes, in.size());
}
