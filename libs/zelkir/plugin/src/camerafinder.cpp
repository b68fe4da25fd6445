#include "camerafinder.h"

#include "camerainfo.h"
#include "logging.h"

#include <zelk/cam/cam.h>

#include <QException>
#include <QFile>
#include <QQmlEngine>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace zelkir {

namespace {

using zelk::CString;
using zelk::TArray;

// The GigE Vision transport goes by one of these names, depending on the library's build;
// the first one offered is used.
const char* const gigEVisionNames[] = { "PureGEV", "VskGenTL", "GigE-Vision" };
const char* const usb3VisionName = "USB3-Vision";
constexpr int discoveryRounds = 1;
constexpr int keepCachedInterfaces = 0;

} // namespace

CameraFinder::CameraFinder(QObject* parent)
    : QObject(parent)
    , m_cameras(new CameraList(this))
{
    connect(&m_scanWatcher, &QFutureWatcherBase::finished, this, &CameraFinder::doneScanning);
}

// A scan still running goes on to its end on its pool thread; it touches nothing of ours.
CameraFinder::~CameraFinder() = default;

void CameraFinder::scan()
{
    if (m_scanning)
        return;
    m_scanning = true;
    Q_EMIT scanningChanged();
    m_scanWatcher.setFuture(QtConcurrent::run(QThreadPool::globalInstance(), &CameraFinder::DoScan));
}

CameraFinder::SScanResult CameraFinder::DoScan()
{
    zelk::cam::IInterfaces* registry = zelk::cam::interfaces();
    TArray<CString> transports;
    for (const char* name : gigEVisionNames) {
        if (registry->find(CString(name))) {
            transports.Add(CString(name));
            break;
        }
    }
    if (registry->find(CString(usb3VisionName)))
        transports.Add(CString(usb3VisionName));

    registry->refresh(keepCachedInterfaces);
    TArray<zelk::cam::SDeviceInfo> devices;
    if (!registry->discover(devices, transports, discoveryRounds))
        qCInfo(lcFinder) << "discovery reported a failure; listing what it found";
    TArray<zelk::cam::SCameraInfo> found;
    zelk::cam::cameras()->match(found, devices, TArray<CString>());

    SScanResult result;
    for (const zelk::cam::SCameraInfo& camera : found)
        result.cameras.append(camera);
    result.host = dns::HostInterfaces();
    return result;
}

void CameraFinder::doneScanning()
{
    SScanResult result;
    try {
        result = m_scanWatcher.future().result();
    } catch (const QException& error) {
        // Whatever the worker threw arrives here wrapped; nothing is listed then.
        qCWarning(lcFinder) << "camera scan failed:" << error.what();
    }
    QList<CameraInfo*> cameras;
    for (const zelk::cam::SCameraInfo& camera : std::as_const(result.cameras))
        cameras.append(new CameraInfo(camera, result.host));
    m_cameras->reset(std::move(cameras));
    m_scanning = false;
    Q_EMIT scanningChanged();
}

CameraInfo* CameraFinder::loadCameraInfo(const QString& path)
{
    const auto known
        = std::find_if(m_loaded.begin(), m_loaded.end(), [&](const SLoaded& l) { return l.path == path; });
    const qsizetype index = known == m_loaded.end() ? -1 : std::distance(m_loaded.begin(), known);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCInfo(lcFinder) << "no camera in" << path << ":" << file.errorString();
        forget(index);
        return nullptr;
    }
    // Read no further than a camera file can reach, so that a device or a huge file
    // named by mistake is refused at once.
    const QByteArray text = file.read(MaxFileSize + 1);
    if (text.size() > MaxFileSize) {
        qCInfo(lcFinder) << "no camera in" << path << ": larger than a camera file";
        forget(index);
        return nullptr;
    }
    if (index >= 0 && m_loaded.at(index).text == text && m_loaded.at(index).camera) {
        m_loaded.move(index, m_loaded.size() - 1);
        return m_loaded.last().camera;
    }
    forget(index);

    QString error;
    const std::optional<zelk::cam::SCameraInfo> camera = CameraInfo::fromXml(text, error);
    if (!camera) {
        qCInfo(lcFinder) << "no camera in" << path << ":" << error;
        return nullptr;
    }
    auto* info = new CameraInfo(*camera, dns::HostInterfaces(), this);
    QQmlEngine::setObjectOwnership(info, QQmlEngine::CppOwnership);
    m_loaded.append({ path, text, info });
    if (m_loaded.size() > MaxRememberedFiles)
        forget(0);
    return info;
}

void CameraFinder::forget(qsizetype loadedIndex)
{
    if (loadedIndex < 0)
        return;
    if (CameraInfo* camera = m_loaded.at(loadedIndex).camera)
        camera->deleteLater();
    m_loaded.removeAt(loadedIndex);
}

} // namespace zelkir
