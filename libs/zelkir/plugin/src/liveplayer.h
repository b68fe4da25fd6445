#pragma once

#include "cameraaccess.h"
#include "cameramodel.h"
#include "frameproducer.h"
#include "framerenderer.h"
#include "frametap.h"
#include "hostcheckmodel.h"
#include "livecapture.h"
#include "livefeed.h"
#include "serialexecutor.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <qqmlregistration.h>

#include <cmath>
#include <memory>
#include <mutex>

namespace zelkir {

class DisplayClock;

/// A live camera as a document's frame producer: the document's `realtime` object, and its
/// `filePlayer` too, so that a window's rate field shows the live display rate.
///
/// Connecting, streaming set-up and every later camera call run on the camera's own thread
/// (CameraAccess); frames arrive on the camera library's thread into a newest-frame feed.
/// Each period of the display clock (targetDisplayRate) allows one frame to be shown: the
/// newest one waiting, or else the next to arrive, which the feed hands straight to a
/// render thread, one render in flight. So a camera no faster than the display has every
/// frame shown as soon as it comes, whatever the phase of the clock; a slow display drops
/// frames (counted) and never slows the stream. Nothing here makes the GUI thread wait for
/// the camera.
// The base named in full, so that the QML type description finds it.
class LivePlayer final : public zelkir::FrameProducer
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by HalvoModel")
    /// Null until the camera is open.
    Q_PROPERTY(zelkir::CameraModel* cameraModel READ cameraModel NOTIFY cameraModelChanged)
    /// The camera's control panel, relative to the resource root.
    Q_PROPERTY(QString controllerQml READ controllerQml CONSTANT)
    /// Frames per second received from the camera, over about the last second.
    Q_PROPERTY(double receivedFrameRate READ receivedFrameRate NOTIFY statisticsChanged)
    /// Frames per second shown, over about the last second.
    Q_PROPERTY(double displayedFrameRate READ displayedFrameRate NOTIFY statisticsChanged)
    /// Frames the camera library received incomplete, or never completed.
    Q_PROPERTY(double incompleteFrames READ incompleteFrames NOTIFY statisticsChanged)
    /// Frames received but replaced by a newer one before the display took them.
    Q_PROPERTY(double droppedFrames READ droppedFrames NOTIFY statisticsChanged)
    /// The camera's sensor temperature in degrees Celsius; NaN when it does not say.
    Q_PROPERTY(double sensorTemperature READ sensorTemperature NOTIFY statisticsChanged)
    /// What on this computer stops the camera's stream; run once by itself the first time
    /// frames come incomplete.
    Q_PROPERTY(zelkir::HostCheckModel* hostCheck READ hostCheck CONSTANT)

public:
    /// The display rate at most taken from the camera's own frame rate.
    static constexpr double MaxDefaultDisplayRate = 60.0;
    /// The display rate when the camera does not say its frame rate.
    static constexpr double FallbackDisplayRate = 30.0;

    /// Connects to `camera` through `library` once started. Takes ownership of `clock`
    /// (null: a timer clock). A null `library` fails the connection.
    LivePlayer(zelk::cam::SCameraInfo camera, std::shared_ptr<CameraLibrary> library,
        DisplayClock* clock = nullptr, QObject* parent = nullptr);
    ~LivePlayer() override;

    /// Starts connecting on the camera thread; opened() or connectFailed() follows.
    void start() override;
    void setRenderSettings(
        const EnhancementSettings& settings, std::shared_ptr<const Palette> palette) override;
    /// Cameras here do not sequence presets.
    void setPresetFilter(int) override { }
    bool isClosed() const override { return m_closed; }
    QVariant targetDisplayRate() const override { return m_displayRate; }
    void setTargetDisplayRate(const QVariant& rate) override;
    QList<FrameInfoModel::Entry> frameDetails(const RenderedFrame& frame) const override;

    CameraModel* cameraModel() const { return m_cameraModel; }
    QString controllerQml() const;
    double receivedFrameRate() const { return m_receivedRate; }
    double displayedFrameRate() const { return m_displayedRate; }
    double incompleteFrames() const { return double(m_incompleteFrames); }
    double droppedFrames() const;
    /// Frames received since connecting, complete or not.
    std::uint64_t receivedFrames() const { return m_feed->received(); }
    double sensorTemperature() const { return m_temperature; }
    HostCheckModel* hostCheck() const { return m_hostCheck; }

    /// Stops acquisition and releases the camera, on the camera thread and without waiting,
    /// also when the camera is gone. No connectFailed() follows. Same as close().
    Q_INVOKABLE void disconnect();
    Q_INVOKABLE void close() override;

Q_SIGNALS:
    /// The camera could not be opened or started, or was lost later. Once per player,
    /// never before start()'s caller returns to the event loop; the document may be
    /// deleted from within.
    void connectFailed(const QString& message);
    void cameraModelChanged();
    void statisticsChanged();

private Q_SLOTS:
    // Queued by name from the camera library's threads.
    void onCameraLost();

private:
    struct Connection;
    struct Housekeeping
    {
        bool ok = false;
        std::uint64_t incomplete = 0;
        double temperature = std::nan("");
    };

    void onConnected(const Connection& connection);
    void fail(const QString& message);
    void onTick();
    /// Any thread, with the feed's lock held.
    void startRender(const LiveFeed::FramePtr& frame);
    void onRendered(const LiveFeed::FramePtr& source, const RenderedFramePtr& frame);
    void onHousekeepingTimer();
    void onHousekeeping(const Housekeeping& result);
    void shutDown();
    void updateClock();
    void setFrameBytes(std::uint64_t bytes);

    const zelk::cam::SCameraInfo m_camera;
    const std::shared_ptr<CameraLibrary> m_library;
    const std::shared_ptr<LiveFeed> m_feed;
    /// Every frame, for snapshots and recordings.
    const std::shared_ptr<FrameTap> m_tap;
    std::shared_ptr<CameraAccess> m_access;
    std::unique_ptr<SerialExecutor<FrameRenderer>> m_renderer;
    QPointer<DisplayClock> m_clock;
    QTimer m_housekeepingTimer;
    QPointer<CameraModel> m_cameraModel;
    QPointer<LiveCapture> m_capture;
    HostCheckModel* const m_hostCheck;

    /// Made here, copied by renders started on other threads.
    const QPointer<LivePlayer> m_self;
    /// What renders use; read by renders started on any thread.
    struct Look
    {
        EnhancementSettings settings;
        std::shared_ptr<const Palette> palette;
    };
    mutable std::mutex m_lookMutex;
    Look m_look;
    /// The stream frame shown last, for its details.
    LiveFeed::FramePtr m_shown;
    bool m_housekeeping = false;

    bool m_connected = false;
    bool m_failed = false;
    bool m_closed = false;
    bool m_rateChosen = false;
    bool m_hasTemperature = false;
    double m_displayRate = FallbackDisplayRate;

    QElapsedTimer m_rateWindow;
    std::uint64_t m_receivedAtWindow = 0;
    std::uint64_t m_displayed = 0;
    std::uint64_t m_displayedAtWindow = 0;
    double m_receivedRate = 0.0;
    double m_displayedRate = 0.0;
    std::uint64_t m_incompleteFrames = 0;
    /// The host check ran because frames came incomplete: once a connection is enough.
    bool m_checkedAfterLoss = false;
    double m_temperature = std::nan("");
};

} // namespace zelkir
