#pragma once

#include "cameraaccess.h"
#include "livecapture.h"
#include "featuretreemodel.h"

#include <QObject>
#include <QPointer>
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
    /// Snapshots and recordings; set before the model is published.
    Q_PROPERTY(zelkir::LiveCapture* capture READ capture CONSTANT)
    Q_PROPERTY(bool recording READ isRecording NOTIFY recordingChanged)
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

    // Snapshots and recordings, as LiveCapture makes them.
    LiveCapture* capture() const { return m_capture; }
    void setCapture(LiveCapture* capture);
    bool isRecording() const { return m_capture && m_capture->isRecording(); }
    Q_INVOKABLE void saveSnapshot(const QVariant& folder);
    Q_INVOKABLE void startRecording(const QVariant& folder);
    Q_INVOKABLE void stopRecording();

Q_SIGNALS:
    void connectedChanged();
    void recordingChanged();

private:
    const std::shared_ptr<CameraAccess> m_access;
    FeatureTreeModel* const m_features;
    bool m_connected = false;
    QPointer<LiveCapture> m_capture;
};

} // namespace zelkir
