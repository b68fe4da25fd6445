#include "halvomodel.h"

#include "camerainfo.h"
#include "documentmodel.h"
#include "fileplayer.h"
#include "liveplayer.h"

#include <QDir>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace zelkir {

namespace {

QString localPath(const QUrl& url)
{
    // Files on other hosts and other schemes are not ours to open.
    return url.isLocalFile() && url.host().isEmpty() ? url.toLocalFile() : QString();
}

QString localPath(const QVariant& file)
{
    if (file.metaType().id() == QMetaType::QUrl)
        return localPath(file.toUrl());
    if (file.metaType().id() != QMetaType::QString)
        return {};
    const QString text = file.toString();
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) || text.contains(QLatin1String("://")))
        return localPath(QUrl(text));
    return text;
}

} // namespace

HalvoModel::HalvoModel(QObject* parent)
    : QObject(parent)
    , m_palettes(new PaletteList(PaletteCatalog::programPalettes(), this))
    , m_cameraFinder(new CameraFinder(this))
{
}

HalvoModel::~HalvoModel() = default;

QString HalvoModel::configDir()
{
    if (m_configDir.isEmpty()) {
        const QString path = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        if (!path.isEmpty() && QDir().mkpath(path))
            m_configDir = path;
    }
    return m_configDir;
}

DocumentModel* HalvoModel::createDocument(const QVariant& source)
{
    if (const auto* camera = qobject_cast<CameraInfo*>(source.value<QObject*>()))
        return createCameraDocument(camera->cameraInfo());
    const QString path = localPath(source);
    if (path.isEmpty())
        return nullptr;
    DocumentModel* document = adopt(new FilePlayer(path));
    document->setRegionStorePath(path + QStringLiteral(".regions.json"));
    return document;
}

DocumentModel* HalvoModel::createCameraDocument(
    const zelk::cam::SCameraInfo& camera, std::shared_ptr<CameraLibrary> library, DisplayClock* clock)
{
    if (!library)
        library = CameraLibrary::system();
    DocumentModel* document = adopt(new LivePlayer(camera, std::move(library), clock));
    // One region file per camera, named by what identifies it best.
    QString name = QString::fromUtf8(camera.serialNumber.c_str());
    if (name.isEmpty())
        name = QString::fromUtf8(camera.address.c_str());
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    const QString folder = configDir();
    if (!name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !folder.isEmpty())
        document->setRegionStorePath(folder + QStringLiteral("/regions/") + name + QStringLiteral(".json"));
    return document;
}

DocumentModel* HalvoModel::adopt(FrameProducer* producer)
{
    auto* document = new DocumentModel(producer, m_palettes, this);
    // Only deleteDocument() or this model end a document, never QML's garbage collector.
    QQmlEngine::setObjectOwnership(document, QQmlEngine::CppOwnership);
    m_documents.append(document);
    Q_EMIT documentCountChanged();
    return document;
}

void HalvoModel::deleteDocument(QObject* document)
{
    auto* ours = qobject_cast<DocumentModel*>(document);
    if (!ours || !m_documents.removeOne(ours))
        return;
    // The producer stops now; the object itself goes once QML has let go of it.
    ours->producer()->close();
    ours->deleteLater();
    Q_EMIT documentCountChanged();
}

} // namespace zelkir
