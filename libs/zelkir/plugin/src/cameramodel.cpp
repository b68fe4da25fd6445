#include "cameramodel.h"

namespace zelkir {

CameraModel::CameraModel(std::shared_ptr<CameraAccess> access, QObject* parent)
    : QObject(parent)
    , m_access(std::move(access))
{
}

CameraModel::~CameraModel() = default;

void CameraModel::setConnected(bool connected)
{
    if (connected == m_connected)
        return;
    m_connected = connected;
    Q_EMIT connectedChanged();
}

void CameraModel::refreshAllVisible() { }

void CameraModel::setCapture(LiveCapture* capture)
{
    m_capture = capture;
    if (capture)
        connect(capture, &LiveCapture::recordingChanged, this, &CameraModel::recordingChanged);
}

void CameraModel::saveSnapshot(const QVariant& folder)
{
    if (m_capture)
        m_capture->saveSnapshot(folder);
}

void CameraModel::startRecording(const QVariant& folder)
{
    if (m_capture)
        m_capture->startRecording(folder);
}

void CameraModel::stopRecording()
{
    if (m_capture)
        m_capture->stopRecording();
}

} // namespace zelkir
