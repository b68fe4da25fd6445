#include "camerabadpixelpickermodel.h"

#include "logging.h"

#include <QVariantMap>

#include <string>
#include <utility>

namespace zelkir {

using zelk::cam::gic::FeatureValue;
using zelk::cam::gic::IFeatureTree;
using zelk::cam::gic::SFeatureInfo;

namespace {

const std::string CountFeature = "BadPixelCount";
const std::string CapacityFeature = "BadPixelCapacity";
const std::string ListFeature = "BadPixelList";

bool readInteger(IFeatureTree& features, const std::string& name, std::int64_t& value, std::string& error)
{
    FeatureValue raw;
    if (!features.read(name, raw, error))
        return false;
    if (const auto* number = std::get_if<std::int64_t>(&raw)) {
        value = *number;
        return true;
    }
    error = name + " is not an integer.";
    return false;
}

} // namespace

struct CameraBadPixelPickerModel::Downloaded
{
    bool ok = false;
    bool supported = false;
    BadPixelList list;
    std::string error;
};

CameraBadPixelPickerModel::CameraBadPixelPickerModel(QObject* parent)
    : QObject(parent)
{
}

CameraBadPixelPickerModel::~CameraBadPixelPickerModel() = default;

void CameraBadPixelPickerModel::setApplyInRealTime(bool apply)
{
    if (apply == m_applyInRealTime)
        return;
    m_applyInRealTime = apply;
    Q_EMIT applyInRealTimeChanged();
    if (apply && m_enabled)
        upload();
}

void CameraBadPixelPickerModel::setRoiImageView(RoiImageView* view)
{
    if (view == m_view)
        return;
    QObject::disconnect(m_viewClicks);
    m_view = view;
    if (view)
        m_viewClicks
            = connect(view, &RoiImageView::pixelClicked, this, [this](QPoint pixel) { togglePixel(pixel); });
    Q_EMIT roiImageViewChanged();
}

void CameraBadPixelPickerModel::setDocumentModel(DocumentModel* document)
{
    if (document == m_document)
        return;
    detach();
    m_document = document;
    m_player = document ? document->realtime() : nullptr;
    if (document)
        m_documentGone = connect(document, &QObject::destroyed, this, [this] {
            // Its regions went with it.
            m_document.clear();
            detach();
            Q_EMIT documentModelChanged();
        });
    if (m_player) {
        m_cameraFailed = connect(m_player, &LivePlayer::connectFailed, this, [this] { onCameraFailed(); });
        m_cameraModelWatch
            = connect(m_player, &LivePlayer::cameraModelChanged, this, [this] { watchCamera(); });
        watchCamera();
    }
    Q_EMIT documentModelChanged();
}

void CameraBadPixelPickerModel::detach()
{
    // Replies still on their way belong to the old camera.
    ++m_generation;
    QObject::disconnect(m_documentGone);
    QObject::disconnect(m_cameraFailed);
    QObject::disconnect(m_cameraModelWatch);
    QObject::disconnect(m_connectedWatch);
    if (m_unsent)
        qCInfo(lcBadPixels) << "bad-pixel edits never sent to the camera are dropped:" << m_list.pixels();
    changeEnabled(false);
    if (m_document)
        m_document->setPixelMarks({});
    m_document.clear();
    m_player.clear();
    m_camera.clear();
    m_list = BadPixelList();
    m_unsent = false;
    m_unsentReported = false;
    m_interrupted = Transfer::None;
    m_downloadStarted = false;
    endTransfer();
    setSupported(false);
}

void CameraBadPixelPickerModel::watchCamera()
{
    QObject::disconnect(m_connectedWatch);
    m_camera = m_player ? m_player->cameraModel() : nullptr;
    if (m_camera) {
        m_connectedWatch
            = connect(m_camera, &CameraModel::connectedChanged, this, [this] { onConnectedChanged(); });
        onConnectedChanged();
    }
}

void CameraBadPixelPickerModel::onConnectedChanged()
{
    if (m_camera && m_camera->isConnected()) {
        if (!m_downloadStarted)
            download();
        return;
    }
    if (!m_downloadStarted)
        return;
    // Closed or lost, the camera takes no more calls; the edits stay here. Whether that
    // is a failure to report is known only if connectFailed() follows (a lost camera).
    ++m_generation;
    if (m_transfer != Transfer::None)
        m_interrupted = m_transfer;
    else if (m_unsent && !m_unsentReported)
        m_interrupted = Transfer::Upload;
    if (m_transfer == Transfer::Upload)
        m_unsent = true;
    endTransfer();
    changeEnabled(false);
    setSupported(false);
}

void CameraBadPixelPickerModel::onCameraFailed()
{
    switch (std::exchange(m_interrupted, Transfer::None)) {
    case Transfer::Download:
        Q_EMIT bplDownloadFailed();
        break;
    case Transfer::Upload:
        m_unsentReported = true;
        Q_EMIT bplUploadFailed();
        break;
    case Transfer::None:
        break;
    }
}

void CameraBadPixelPickerModel::download()
{
    m_downloadStarted = true;
    m_transfer = Transfer::Download;
    setBusy(true);
    const quint64 generation = m_generation;
    m_camera->access()->call(
        [](CameraSession& session) {
            Downloaded result;
            if (!session.camera) {
                result.error = "The camera is not open.";
                return result;
            }
            IFeatureTree& features = session.camera->features();
            SFeatureInfo info;
            if (!features.describe(CountFeature, info) || !features.describe(CapacityFeature, info)
                || !features.describe(ListFeature, info)) {
                result.ok = true;
                return result;
            }
            std::int64_t capacity = 0;
            std::int64_t count = 0;
            FeatureValue bytes;
            if (!readInteger(features, CapacityFeature, capacity, result.error)
                || !readInteger(features, CountFeature, count, result.error)
                || !features.read(ListFeature, bytes, result.error))
                return result;
            const auto* raw = std::get_if<std::vector<std::uint8_t>>(&bytes);
            std::optional<BadPixelList> list
                = raw ? BadPixelList::decode(*raw, count, capacity) : std::nullopt;
            if (!list) {
                result.error = "The camera's bad-pixel list does not fit its count and capacity.";
                return result;
            }
            result.ok = true;
            result.supported = true;
            result.list = std::move(*list);
            return result;
        },
        this,
        [this, generation](const Downloaded& result) {
            if (generation == m_generation)
                onDownloaded(result);
        });
}

void CameraBadPixelPickerModel::onDownloaded(const Downloaded& result)
{
    endTransfer();
    if (!result.ok) {
        qCWarning(lcBadPixels) << "bad-pixel list not downloaded:" << result.error.c_str();
        Q_EMIT bplDownloadFailed();
        return;
    }
    if (!result.supported) {
        qCInfo(lcBadPixels) << "the camera keeps no bad-pixel list";
        return;
    }
    m_list = result.list;
    m_unsent = false;
    setSupported(true);
}

bool CameraBadPixelPickerModel::togglePixel(QPoint pixel)
{
    if (!m_enabled)
        return false;
    switch (m_list.toggle(pixel)) {
    case BadPixelList::Toggle::Full:
        qCWarning(lcBadPixels).noquote()
            << QStringLiteral("The camera holds at most %1 bad pixels; pixel (%2, %3) is not marked. "
                              "Unmark one first.")
                   .arg(m_list.capacity())
                   .arg(pixel.x())
                   .arg(pixel.y());
        return false;
    case BadPixelList::Toggle::OutOfRange:
        qCWarning(lcBadPixels) << "pixel" << pixel << "is outside what the camera can list";
        return false;
    case BadPixelList::Toggle::Marked:
    case BadPixelList::Toggle::Unmarked:
        break;
    }
    m_unsent = true;
    m_unsentReported = false;
    showMarks();
    if (m_applyInRealTime)
        upload();
    return true;
}

void CameraBadPixelPickerModel::setEnabled(bool enabled)
{
    if (enabled && !m_supported) {
        qCInfo(lcBadPixels) << "bad-pixel picking needs a connected camera that keeps a list";
        return;
    }
    changeEnabled(enabled);
    if (!enabled)
        upload();
}

void CameraBadPixelPickerModel::upload()
{
    // A transfer under way sends the newer edits when it ends.
    if (!m_unsent || m_busy || !m_supported || !m_camera || !m_camera->isConnected())
        return;
    m_unsent = false;
    m_transfer = Transfer::Upload;
    setBusy(true);
    const quint64 generation = m_generation;
    m_camera->access()->call(
        [bytes = m_list.encode(), count = std::int64_t(m_list.pixels().size())](CameraSession& session) {
            std::string error = "The camera is not open.";
            const bool ok = session.camera && session.camera->features().write(ListFeature, bytes, error)
                && session.camera->features().write(CountFeature, count, error);
            return ok ? std::string() : error.empty() ? std::string("The camera refused the list.") : error;
        },
        this,
        [this, generation](const std::string& error) {
            if (generation == m_generation)
                onUploaded(error);
        });
}

void CameraBadPixelPickerModel::onUploaded(const std::string& error)
{
    endTransfer();
    if (!error.empty()) {
        qCWarning(lcBadPixels) << "bad-pixel list not uploaded:" << error.c_str();
        m_unsent = true;
        m_unsentReported = true;
        Q_EMIT bplUploadFailed();
        return;
    }
    if (m_unsent && (m_applyInRealTime || !m_enabled))
        upload();
}

void CameraBadPixelPickerModel::endTransfer()
{
    m_transfer = Transfer::None;
    setBusy(false);
}

void CameraBadPixelPickerModel::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
}

void CameraBadPixelPickerModel::setSupported(bool supported)
{
    if (supported == m_supported)
        return;
    m_supported = supported;
    Q_EMIT supportedChanged();
}

void CameraBadPixelPickerModel::changeEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    showMarks();
    Q_EMIT enabledChanged();
}

void CameraBadPixelPickerModel::showMarks()
{
    if (!m_document)
        return;
    QVariantList marks;
    if (m_enabled) {
        for (const QPoint& pixel : m_list.pixels())
            marks.append(QVariantMap { { QStringLiteral("x"), pixel.x() }, { QStringLiteral("y"), pixel.y() },
                { QStringLiteral("width"), 1 }, { QStringLiteral("height"), 1 },
                { QStringLiteral("color"), QString::fromLatin1(MarkColor) } });
    }
    m_document->setPixelMarks(marks);
}

} // namespace zelkir
