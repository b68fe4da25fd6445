#pragma once

#include "cameraaccess.h"
#include "featuretreemodel.h"

#include <QObject>
#include <qqmlregistration.h>

#include <memory>

namespace zelkir {

/// The connected camera as its control panel sees it. Feature reads and writes go through
/// access(), never on the GUI thread.
class CameraModel final : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the live document")
    /// True while the camera is open and streaming.
    Q_PROPERTY(bool connected READ isConnected NOTIFY connectedChanged)
    /// The camera's GenICam features for its control panel, read once it is connected.
    Q_PROPERTY(zelkir::FeatureTreeModel* features READ features CONSTANT)

public:
    explicit CameraModel(std::shared_ptr<CameraAccess> access, QObject* parent = nullptr);
    ~CameraModel() override;

    bool isConnected() const { return m_connected; }
    void setConnected(bool connected);
    /// The camera's task queue; closed once the camera is disconnected or lost.
    const std::shared_ptr<CameraAccess>& access() const { return m_access; }
    FeatureTreeModel* features() const { return m_features; }

    /// Reads again the features a panel shows.
    Q_INVOKABLE void refreshAllVisible();

Q_SIGNALS:
    void connectedChanged();

private:
    const std::shared_ptr<CameraAccess> m_access;
    FeatureTreeModel* const m_features;
    bool m_connected = false;
};

} // namespace zelkir
