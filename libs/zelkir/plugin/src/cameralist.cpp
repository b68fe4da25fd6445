#include "cameralist.h"

#include <QQmlEngine>

namespace zelkir {

CameraList::CameraList(QObject* parent)
    : QAbstractListModel(parent)
{
}

CameraInfo* CameraList::get(int index) const
{
    return index >= 0 && index < m_cameras.size() ? m_cameras.at(index) : nullptr;
}

CameraInfo* CameraList::find(const QString& name) const
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return nullptr;
    for (CameraInfo* camera : m_cameras) {
        if (camera->address() == wanted || camera->serial().compare(wanted, Qt::CaseInsensitive) == 0)
            return camera;
    }
    return nullptr;
}

void CameraList::reset(QList<CameraInfo*> cameras)
{
    const int before = size();
    beginResetModel();
    // Delegates and bindings may still hold the old objects until the event loop runs.
    for (CameraInfo* camera : std::as_const(m_cameras))
        camera->deleteLater();
    m_cameras = std::move(cameras);
    for (CameraInfo* camera : std::as_const(m_cameras)) {
        camera->setParent(this);
        QQmlEngine::setObjectOwnership(camera, QQmlEngine::CppOwnership);
    }
    endResetModel();
    if (size() != before)
        Q_EMIT sizeChanged();
}

int CameraList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : size();
}

QVariant CameraList::data(const QModelIndex& index, int role) const
{
    const CameraInfo* camera
        = checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        ? m_cameras.at(index.row())
        : nullptr;
    if (!camera)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case DisplayNameRole:
        return camera->displayName();
    case CameraRole:
        return QVariant::fromValue(const_cast<CameraInfo*>(camera));
    case ModelRole:
        return camera->model();
    case VendorRole:
        return camera->vendor();
    case SerialRole:
        return camera->serial();
    case AddressRole:
        return camera->address();
    case MacAddressRole:
        return camera->macAddress();
    case InterfaceAddressRole:
        return camera->interfaceAddress();
    case InterfaceNameRole:
        return camera->interfaceName();
    case TransportRole:
        return camera->transport();
    case ReachableRole:
        return camera->reachable();
    default:
        return {};
    }
}

QHash<int, QByteArray> CameraList::roleNames() const
{
    return {
        { CameraRole, "camera" },
        { DisplayNameRole, "displayName" },
        { ModelRole, "modelName" },
        { VendorRole, "vendor" },
        { SerialRole, "serial" },
        { AddressRole, "address" },
        { MacAddressRole, "macAddress" },
        { InterfaceAddressRole, "interfaceAddress" },
        { InterfaceNameRole, "interfaceName" },
        { TransportRole, "transport" },
        { ReachableRole, "reachable" },
    };
}

} // namespace zelkir
