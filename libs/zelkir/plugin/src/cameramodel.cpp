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

} // namespace zelkir
