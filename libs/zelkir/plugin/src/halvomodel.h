#pragma once

#include "camerafinder.h"
#include "palettelist.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <qqmlregistration.h>

#include <zelk/cam/records.h>

#include <memory>

namespace zelkir {

class CameraLibrary;
class DisplayClock;
class DocumentModel;
class FrameProducer;

/// The viewers' back end: opens documents and offers the palettes and the configuration
/// folder. Documents belong to it until deleteDocument().
class HalvoModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(zelkir::PaletteList* palettes READ palettes CONSTANT)
    /// The folder for the program's settings files; created when first asked for. Empty when
    /// it cannot be created. Constant: a notification sent from inside the first read would
    /// make every binding on it a loop.
    Q_PROPERTY(QString configDir READ configDir CONSTANT)
    Q_PROPERTY(int documentCount READ documentCount NOTIFY documentCountChanged)
    /// Finds cameras and reads remembered ones.
    Q_PROPERTY(zelkir::CameraFinder* cameraFinder READ cameraFinder CONSTANT)

public:
    explicit HalvoModel(QObject* parent = nullptr);
    ~HalvoModel() override;

    PaletteList* palettes() const { return m_palettes; }
    QString configDir();
    int documentCount() const { return int(m_documents.size()); }
    CameraFinder* cameraFinder() const { return m_cameraFinder; }

    /// Opens a file given as a URL ("file:///..."), URL text or a local path, or connects to
    /// a camera given as a CameraInfo. The document comes back at once in status Loading and
    /// reports opened() or openFailed() later; a camera's `realtime` also reports every
    /// failure, then or later, by connectFailed(). Null when `source` names no local file
    /// and no camera.
    Q_INVOKABLE zelkir::DocumentModel* createDocument(const QVariant& source);
    /// A live document of `camera`, connecting in the background through `library` (null:
    /// CameraLibrary::system()). `clock` (owned; null: a timer) paces its display.
    DocumentModel* createCameraDocument(const zelk::cam::SCameraInfo& camera,
        std::shared_ptr<CameraLibrary> library = {}, DisplayClock* clock = nullptr);
    /// Closes and frees a document of this model; other objects are left alone. The object
    /// lives on until control returns to the event loop, for bindings still reading it.
    Q_INVOKABLE void deleteDocument(QObject* document);

Q_SIGNALS:
    void documentCountChanged();

private:
    DocumentModel* adopt(FrameProducer* producer);

    PaletteList* const m_palettes;
    CameraFinder* const m_cameraFinder;
    QList<QPointer<DocumentModel>> m_documents;
    QString m_configDir;
};

} // namespace zelkir
