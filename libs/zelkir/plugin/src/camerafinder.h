#pragma once

#include "cameralist.h"

#include <zelk/cam/records.h>

#include <dns/hostinterfaces.h>

#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <qqmlregistration.h>

#include <vector>

namespace zelkir {

class CameraInfo;

/// Finds cameras on the host's camera transports and reads remembered cameras from files.
class CameraFinder : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("HalvoModel.cameraFinder")
    /// True from scan() until its cameras are in `cameras`.
    Q_PROPERTY(bool scanning READ scanning NOTIFY scanningChanged)
    /// The cameras of the latest finished scan; empty before the first.
    Q_PROPERTY(zelkir::CameraList* cameras READ cameras CONSTANT)

public:
    explicit CameraFinder(QObject* parent = nullptr);
    ~CameraFinder() override;

    bool scanning() const { return m_scanning; }
    CameraList* cameras() const { return m_cameras; }

    /// Starts a search on a worker thread (discovery takes about a second) and returns at
    /// once; `cameras` is replaced when it ends. Does nothing while a search runs.
    Q_INVOKABLE void scan();

    /// The camera that CameraInfo::save() wrote to `path`; null when the file is missing,
    /// empty, damaged, larger than MaxFileSize, of another kind or another version (the
    /// reason goes to the log).
    /// The finder keeps one object per file, made from the file's latest text: loading an
    /// unchanged file again gives the same object, and once the text has changed, or the
    /// file no longer reads, the earlier object is deleted when control returns to the
    /// event loop. At most `MaxRememberedFiles` files are kept, the least recently loaded
    /// going first.
    Q_INVOKABLE zelkir::CameraInfo* loadCameraInfo(const QString& path);

    static constexpr int MaxRememberedFiles = 4;
    /// Bytes; a camera file is about one kilobyte.
    static constexpr qint64 MaxFileSize = 64 * 1024;

Q_SIGNALS:
    void scanningChanged();

private Q_SLOTS:
    void doneScanning();

private:
    struct SLoaded
    {
        QString path;
        QByteArray text;
        QPointer<CameraInfo> camera;
    };

    struct SScanResult
    {
        QList<zelk::cam::SCameraInfo> cameras;
        std::vector<dns::SHostInterface> host;
    };

    static SScanResult DoScan();
    void forget(qsizetype loadedIndex);

    CameraList* const m_cameras;
    QFutureWatcher<SScanResult> m_scanWatcher;
    bool m_scanning = false;
    QList<SLoaded> m_loaded; // most recently loaded last
};

} // namespace zelkir
