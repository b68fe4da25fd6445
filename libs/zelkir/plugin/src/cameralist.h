#pragma once

#include "camerainfo.h"

#include <QAbstractListModel>
#include <QList>
#include <qqmlregistration.h>

namespace zelkir {

/// The cameras of the finder's latest scan, in the order discovery gave them. The list owns
/// its objects: a new list deletes the previous ones once control returns to the event loop.
class CameraList : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the camera finder")
    /// The number of cameras.
    Q_PROPERTY(int size READ size NOTIFY sizeChanged)

public:
    enum Role {
        CameraRole = Qt::UserRole + 1,
        DisplayNameRole,
        ModelRole,
        VendorRole,
        SerialRole,
        AddressRole,
        MacAddressRole,
        InterfaceAddressRole,
        InterfaceNameRole,
        TransportRole,
        ReachableRole,
    };
    Q_ENUM(Role)

    explicit CameraList(QObject* parent = nullptr);

    int size() const { return int(m_cameras.size()); }
    /// The camera at `index`; null outside the list.
    Q_INVOKABLE zelkir::CameraInfo* get(int index) const;
    /// The camera whose address or serial number is `name` (as typed: blanks around it do
    /// not count, the serial's case does not matter); null when none is.
    Q_INVOKABLE zelkir::CameraInfo* find(const QString& name) const;

    /// Takes over `cameras` (made parentless or with any parent) in place of the current list.
    void reset(QList<CameraInfo*> cameras);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void sizeChanged();

private:
    QList<CameraInfo*> m_cameras;
};

} // namespace zelkir
