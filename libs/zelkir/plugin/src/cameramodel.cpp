#include "cameramodel.h"

namespace zelkir {

CameraModel::CameraModel(std::shared_ptr<CameraAccess> access, QObject* parent)
    : QObject(parent)
    , m_access(std::move(access))
    , m_features(new FeatureTreeModel(
          [access = m_access](FeatureTreeModel* model, FeatureTreeModel::Task task) {
              access->call(
                  [task = std::move(task)](CameraSession& session) {
                      return session.camera ? task(session.camera->features()) : FeatureTreeModel::Result();
                  },
                  model,
                  [model](const FeatureTreeModel::Result& result) {
                      if (result)
                          result(*model);
                  });
          },
          this))
{
}

CameraModel::~CameraModel() = default;

void CameraModel::setConnected(bool connected)
{
    if (connected == m_connected)
        return;
    m_connected = connected;
    if (connected)
        m_features->reload();
    Q_EMIT connectedChanged();
}

void CameraModel::refreshAllVisible()
{
    m_features->refreshAllVisible();
}

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
