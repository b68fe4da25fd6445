#pragma once

#include <QCoreApplication>
#include <QString>

namespace zelkir {

/// The names of the entries every frame carries, before the file's own keywords.
class FrameInfoNames
{
    Q_DECLARE_TR_FUNCTIONS(FrameInfoNames)

public:
    static QString frameNumber() { return tr("Frame Number"); }
    static QString time() { return tr("Time"); }
    static QString size() { return tr("Size"); }
    static QString minimum() { return tr("Minimum"); }
    static QString maximum() { return tr("Maximum"); }
    static QString mean() { return tr("Mean"); }
    static QString preset() { return tr("Preset"); }
};

} // namespace zelkir
