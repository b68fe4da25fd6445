#include "liveplayer.h"

#include "camerafeatures.h"
#include "cameramodel.h"
#include "frameinfonames.h"
#include "logging.h"
#include "numberinput.h"
#include "timerdisplayclock.h"

#include <QCoreApplication>
#include <QtMath>

#include <ctime>
#include <optional>

namespace zelkir {

namespace {

using zelk::cam::gic::IFeatureTree;

constexpr int HousekeepingIntervalMs = 1000;
// How long a connection waits for an earlier one of this process to let go of the camera:
// a moment when the camera answers; a camera that is gone fails the new one anyway.
constexpr std::chrono::milliseconds LetGoWait { 5000 };

std::uint64_t threadCpuNs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::uint64_t(now.tv_sec) * 1000000000u + std::uint64_t(now.tv_nsec);
}

QString sentence(const std::string& text, const QString& fallback)
{
    return text.empty() ? fallback : QString::fromStdString(text);
}

RenderedFramePtr renderStreamFrame(FrameRenderer& renderer, const zelk::cam::SStreamFrame& in,
    const EnhancementSettings& settings, const std::shared_ptr<const Palette>& palette)
{
    auto out = std::make_shared<RenderedFrame>();
    // Block ids count up from 1 and wrap; the frame number shows their low 31 bits.
    out->index = int(in.frameId & 0x7FFFFFFFu);
    out->receivedNs = in.receivedNs;
    Frame& frame = out->frame;
    frame.index = out->index;
    frame.width = in.width;
    frame.height = in.height;
    frame.time = double(in.timestampNs) * 1e-9;
    if (in.width <= 0 || in.height <= 0
        || in.pixels.size() != std::size_t(in.width) * std::size_t(in.height)) {
        out->error = QCoreApplication::translate("zelkir::LivePlayer", "The camera sent a malformed frame.");
        return out;
    }
    const std::uint64_t started = threadCpuNs();
    frame.counts.assign(in.pixels.begin(), in.pixels.end());
    const int bits = zelk::cam::PixelFormatBits(in.pixelFormat);
    renderer.render(settings, palette, CountRange { 0, quint16((1u << bits) - 1u) }, *out);
    out->renderCpuNs = threadCpuNs() - started;
    return out;
}

// One frame's payload as the camera sends it.
std::uint64_t payloadBytes(const zelk::cam::SStreamFrame& frame)
{
    const std::uint64_t pixels = std::uint64_t(qMax(frame.width, 0)) * std::uint64_t(qMax(frame.height, 0));
    switch (frame.pixelFormat) {
    case zelk::cam::EPixelFormat::Mono8:
        return pixels;
    case zelk::cam::EPixelFormat::Mono10Packed:
    case zelk::cam::EPixelFormat::Mono12Packed:
        return (pixels * std::uint64_t(zelk::cam::PixelFormatBits(frame.pixelFormat)) + 7) / 8;
    default:
        return pixels * 2;
    }
}

// The camera as the host check's report names and finds it.
zelk::cam::SHostCheckCamera hostCheckCamera(const zelk::cam::SCameraInfo& camera)
{
    const zelk::cam::SDeviceInfo& device = camera.deviceInfo;
    std::string name = (camera.modelName.empty() ? device.modelName : camera.modelName).c_str();
    const zelk::CString& serial = camera.serialNumber.empty() ? device.serialNumber : camera.serialNumber;
    if (!serial.empty())
        name += (name.empty() ? "" : " ") + std::string(serial.c_str());
    if (name.empty())
        name = "The camera";
    if (!device.address.empty())
        name += " at " + std::string(device.address.c_str());
    zelk::cam::SHostCheckCamera result;
    result.name = name;
    result.hostInterface = device.hostInterface.c_str();
    result.address = device.raw.ipAddress;
    return result;
}

} // namespace

/// What connecting found out, handed from the camera thread to the GUI thread.
struct LivePlayer::Connection
{
    bool ok = false;
    QString error;
    int width = 0;
    int height = 0;
    double frameRate = std::nan("");
    CalibrationParameters calibration;
    bool hasTemperature = false;
    double temperature = std::nan("");
    /// The stream's packet size; 0 when the camera does not say.
    std::uint32_t packetBytes = 0;
};

LivePlayer::LivePlayer(zelk::cam::SCameraInfo camera, std::shared_ptr<CameraLibrary> library,
    DisplayClock* clock, QObject* parent)
    : FrameProducer(parent)
    , m_camera(std::move(camera))
    , m_library(std::move(library))
    , m_feed(std::make_shared<LiveFeed>(this))
    , m_tap(std::make_shared<FrameTap>())
    , m_access(std::make_shared<CameraAccess>())
    , m_renderer(std::make_unique<SerialExecutor<FrameRenderer>>())
    , m_clock(clock ? clock : new TimerDisplayClock)
    , m_hostCheck(new HostCheckModel(this))
    , m_self(this)
{
    m_hostCheck->setCamera(hostCheckCamera(m_camera));
    qRegisterMetaType<RenderedFramePtr>();
    qRegisterMetaType<OpenResultPtr>();
    m_clock->setParent(this);
    connect(m_clock, &DisplayClock::tick, this, &LivePlayer::onTick);
    m_housekeepingTimer.setInterval(HousekeepingIntervalMs);
    connect(&m_housekeepingTimer, &QTimer::timeout, this, &LivePlayer::onHousekeepingTimer);
    m_feed->setRenderStart([this](const LiveFeed::FramePtr& frame) { startRender(frame); },
        [clock = m_clock.data()] { return clock->position(); });
}

LivePlayer::~LivePlayer()
{
    shutDown();
}

QString LivePlayer::controllerQml() const
{
    return QStringLiteral("zelkcamui/panels/CameraController.qml");
}

double LivePlayer::droppedFrames() const
{
    return double(m_feed->dropped());
}

void LivePlayer::start()
{
    if (m_closed || m_connected || m_failed)
        return;
    const std::shared_ptr<CameraLibrary> library = m_library;
    const std::shared_ptr<LiveFeed> feed = m_feed;
    const std::shared_ptr<FrameTap> tap = m_tap;
    const zelk::cam::SCameraInfo saved = m_camera;
    m_access->call(
        [library, feed, tap, saved](CameraSession& session) {
            Connection result;
            std::string error;
            if (library) {
                session.hold = std::make_unique<CameraHold>(saved, LetGoWait);
                session.camera = openSavedCamera(*library, saved, error);
            }
            if (!session.camera) {
                session.hold.reset();
                result.error = sentence(error, tr("The camera does not answer."));
                return result;
            }
            IFeatureTree& features = session.camera->features();
            result.width = int(readNumber(features, "Width").value_or(0));
            result.height = int(readNumber(features, "Height").value_or(0));
            result.frameRate = readNumber(features, "AcquisitionFrameRate").value_or(std::nan(""));
            result.calibration = readCalibration(features);
            const std::optional<double> temperature = readNumber(features, "DeviceTemperature");
            result.hasTemperature = temperature.has_value();
            result.temperature = temperature.value_or(std::nan(""));
            const double packet = readNumber(features, "GevSCPSPacketSize").value_or(0.0);
            if (packet > 0.0 && packet <= 65535.0)
                result.packetBytes = std::uint32_t(packet);
            // The handlers hold the feed, which outlives the camera's last call of them.
            if (!session.camera->start(
                    [feed, tap](LiveFeed::FramePtr frame) {
                        tap->put(frame);
                        feed->put(std::move(frame));
                    },
                    [feed](const std::string& reason) { feed->lose(reason); }, error)) {
                result.error = sentence(error, tr("The camera does not stream."));
                session.camera.reset();
                return result;
            }
            result.ok = true;
            return result;
        },
        this, [this](const Connection& result) { onConnected(result); });
}

void LivePlayer::onConnected(const Connection& connection)
{
    if (m_closed || m_failed)
        return;
    if (!connection.ok) {
        fail(connection.error);
        return;
    }
    m_connected = true;
    m_hasTemperature = connection.hasTemperature;
    m_temperature = connection.temperature;
    zelk::cam::SHostCheckCamera checked = m_hostCheck->camera();
    checked.packetBytes = connection.packetBytes;
    m_hostCheck->setCamera(checked);
    if (!m_rateChosen && qIsFinite(connection.frameRate) && connection.frameRate > 0.0) {
        m_displayRate = qMin(connection.frameRate, MaxDefaultDisplayRate);
        Q_EMIT targetDisplayRateChanged();
    }
    auto result = std::make_shared<OpenResult>();
    result->ok = true;
    result->info.format = QStringLiteral("GigE Vision");
    result->info.width = connection.width;
    result->info.height = connection.height;
    result->info.frameCount = 1;
    result->info.frameRate = connection.frameRate;
    result->info.calibration = connection.calibration;
    m_cameraModel = new CameraModel(m_access, this);
    m_capture = new LiveCapture(m_access, m_tap, QString::fromUtf8(m_camera.serialNumber.c_str()), this);
    m_cameraModel->setCapture(m_capture);
    m_cameraModel->setConnected(true);
    Q_EMIT cameraModelChanged();
    m_rateWindow.start();
    m_housekeepingTimer.start();
    updateClock();
    const QPointer<LivePlayer> self(this);
    Q_EMIT opened(result);
    // A frame that came while connecting is shown now.
    if (self && m_connected)
        m_feed->show();
}

void LivePlayer::onCameraLost()
{
    fail(sentence(m_feed->lossReason(), tr("The camera was lost.")));
}

void LivePlayer::fail(const QString& message)
{
    if (m_failed || m_closed)
        return;
    qCInfo(lcPlayer) << "camera" << m_camera.serialNumber.c_str() << ":" << message;
    m_failed = true;
    const bool wasConnected = m_connected;
    shutDown();
    // Either signal may end the document; nothing of it is touched after that.
    const QPointer<LivePlayer> self(this);
    Q_EMIT connectFailed(message);
    if (self && !wasConnected)
        Q_EMIT openFailed(message);
}

void LivePlayer::disconnect()
{
    close();
}

void LivePlayer::close()
{
    if (m_closed)
        return;
    shutDown();
    m_closed = true;
    Q_EMIT closedChanged();
}

void LivePlayer::shutDown()
{
    m_feed->close();
    // The camera thread stops acquisition and releases the camera on its own time.
    m_access->close();
    m_renderer->close();
    m_shown.reset();
    m_housekeepingTimer.stop();
    // A camera lost or let go ends its recording with the frames it has.
    if (m_capture)
        m_capture->stopRecording();
    if (m_clock)
        m_clock->stop();
    m_connected = false;
    if (m_cameraModel)
        m_cameraModel->setConnected(false);
}

void LivePlayer::setRenderSettings(
    const EnhancementSettings& settings, std::shared_ptr<const Palette> palette)
{
    {
        std::lock_guard<std::mutex> lock(m_lookMutex);
        m_look.settings = settings;
        m_look.palette = std::move(palette);
    }
    m_feed->renderAgain();
}

void LivePlayer::setTargetDisplayRate(const QVariant& rate)
{
    const std::optional<double> value = numberFromInput(rate);
    if (!value || *value <= 0.0)
        return;
    m_rateChosen = true;
    if (*value == m_displayRate)
        return;
    m_displayRate = *value;
    updateClock();
    Q_EMIT targetDisplayRateChanged();
}

void LivePlayer::updateClock()
{
    if (!m_clock)
        return;
    if (m_connected)
        m_clock->start(m_displayRate);
    else
        m_clock->stop();
}

void LivePlayer::onTick()
{
    if (m_connected)
        m_feed->tick();
}

void LivePlayer::startRender(const LiveFeed::FramePtr& frame)
{
    Look look;
    {
        std::lock_guard<std::mutex> lock(m_lookMutex);
        look = m_look;
    }
    m_renderer->post([frame, look = std::move(look), self = m_self](FrameRenderer& renderer) {
        RenderedFramePtr rendered = renderStreamFrame(renderer, *frame, look.settings, look.palette);
        return SerialExecutor<FrameRenderer>::Reply([self, frame, rendered] {
            if (self)
                self->onRendered(frame, rendered);
        });
    });
}

void LivePlayer::setFrameBytes(std::uint64_t bytes)
{
    if (bytes == m_hostCheck->camera().frameBytes)
        return;
    zelk::cam::SHostCheckCamera checked = m_hostCheck->camera();
    checked.frameBytes = bytes;
    m_hostCheck->setCamera(checked);
}

void LivePlayer::onRendered(const LiveFeed::FramePtr& source, const RenderedFramePtr& frame)
{
    if (!m_connected)
        return;
    if (!frame->ok) {
        qCInfo(lcPlayer) << "frame" << frame->index << ":" << frame->error;
        m_feed->rendered();
        return;
    }
    m_shown = source;
    setFrameBytes(payloadBytes(*source));
    ++m_displayed;
    if (m_capture)
        m_capture->setShownImage(frame->image);
    const QPointer<LivePlayer> self(this);
    Q_EMIT frameReady(frame);
    // A frame that came during the render is shown now if the clock allows it.
    if (self && m_connected)
        m_feed->rendered();
}

void LivePlayer::onHousekeepingTimer()
{
    const double seconds = double(m_rateWindow.restart()) / 1000.0;
    const std::uint64_t received = m_feed->received();
    if (seconds > 0.0) {
        m_receivedRate = double(received - m_receivedAtWindow) / seconds;
        m_displayedRate = double(m_displayed - m_displayedAtWindow) / seconds;
    }
    m_receivedAtWindow = received;
    m_displayedAtWindow = m_displayed;
    Q_EMIT statisticsChanged();
    // One read at a time: a camera slow to answer gets no pile of requests.
    if (m_housekeeping || !m_connected)
        return;
    m_housekeeping = true;
    const bool temperature = m_hasTemperature;
    m_access->call(
        [temperature](CameraSession& session) {
            Housekeeping result;
            if (!session.camera)
                return result;
            result.ok = true;
            result.incomplete = session.camera->statistics().failedFrames;
            if (temperature)
                result.temperature
                    = readNumber(session.camera->features(), "DeviceTemperature").value_or(std::nan(""));
            return result;
        },
        this, [this](const Housekeeping& result) { onHousekeeping(result); });
}

void LivePlayer::onHousekeeping(const Housekeeping& result)
{
    m_housekeeping = false;
    if (!result.ok || !m_connected)
        return;
    // Lost frames mostly mean a computer not set up for the stream; the user is told once
    // a connection, and may check again from what is shown.
    if (result.incomplete > m_incompleteFrames && !m_checkedAfterLoss) {
        m_checkedAfterLoss = true;
        m_hostCheck->runAfterLoss();
    }
    m_incompleteFrames = result.incomplete;
    m_temperature = result.temperature;
    Q_EMIT statisticsChanged();
}

QList<FrameInfoModel::Entry> LivePlayer::frameDetails(const RenderedFrame&) const
{
    QList<FrameInfoModel::Entry> rows;
    if (m_shown)
        rows.append({ FrameInfoNames::pixelFormat(),
            QString::fromLatin1(zelk::cam::PixelFormatName(m_shown->pixelFormat)) });
    rows.append({ FrameInfoNames::receivedFrameRate(), QString::number(m_receivedRate, 'f', 1) });
    rows.append({ FrameInfoNames::displayedFrameRate(), QString::number(m_displayedRate, 'f', 1) });
    rows.append({ FrameInfoNames::incompleteFrames(), QString::number(m_incompleteFrames) });
    rows.append({ FrameInfoNames::droppedFrames(), QString::number(m_feed->dropped()) });
    if (m_hasTemperature) {
        rows.append({ FrameInfoNames::sensorTemperature(),
            qIsFinite(m_temperature) ? QStringLiteral("%1 \u00B0C").arg(m_temperature, 0, 'f', 1)
                                     : QString() });
    }
    return rows;
}

} // namespace zelkir
