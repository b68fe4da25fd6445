#include "fileplayer.h"

#include "frameworker.h"
#include "logging.h"
#include "numberinput.h"
#include "timerdisplayclock.h"

#include <QtMath>

#include <limits>

namespace zelkir {

FilePlayer::FilePlayer(DisplayClock* clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock ? clock : new TimerDisplayClock)
{
    qRegisterMetaType<RenderedFramePtr>();
    qRegisterMetaType<OpenResultPtr>();

    m_clock->setParent(this);
    connect(m_clock, &DisplayClock::tick, this, &FilePlayer::onTick);

    // The worker tells of results from its own thread; the player takes them on its own.
    m_worker = std::make_unique<FrameWorker>(
        m_results, [this] { QMetaObject::invokeMethod(this, "onOpened", Qt::QueuedConnection); },
        [this] { QMetaObject::invokeMethod(this, "onRendered", Qt::QueuedConnection); });
}

FilePlayer::~FilePlayer()
{
    close();
}

void FilePlayer::open(const QString& path)
{
    if (m_closed)
        return;
    m_path = path;
    m_worker->open(path);
}

void FilePlayer::onOpened()
{
    const std::optional<OpenResultPtr> taken = m_results.opened.take();
    if (m_closed || !taken)
        return;
    const OpenResultPtr& result = *taken;
    if (!result->source) {
        qCInfo(lcPlayer) << "cannot open" << m_path << ":" << result->error;
        Q_EMIT openFailed(result->error);
        return;
    }
    m_source = result->source;
    m_shown = -1;
    m_selection.reset(m_source->frameCount(), result->framePresets);
    Q_EMIT frameCountChanged();
    Q_EMIT boundStartChanged();
    Q_EMIT boundEndChanged();
    if (qIsFinite(m_source->info().frameRate) && m_source->info().frameRate > 0.0)
        setTargetDisplayRate(m_source->info().frameRate);
    Q_EMIT sourceOpened(result);
    goTo(m_selection.first());
}

void FilePlayer::setRenderSettings(
    const EnhancementSettings& settings, std::shared_ptr<const Palette> palette)
{
    m_settings = settings;
    m_palette = std::move(palette);
    ++m_generation;
    m_ahead.reset();
    if (m_source && !m_closed)
        request(m_frameNumber);
}

void FilePlayer::setPresetFilter(int preset)
{
    m_selection.setPreset(preset);
    m_ahead.reset();
    if (m_source)
        goTo(m_selection.nearest(m_frameNumber));
}

void FilePlayer::setPlaySpeed(int speed)
{
    if (m_playSpeed == speed)
        return;
    m_playSpeed = speed;
    m_ahead.reset();
    updateClock();
    Q_EMIT playSpeedChanged();
    prefetch();
}

void FilePlayer::setTargetDisplayRate(const QVariant& rate)
{
    const std::optional<double> value = numberFromInput(rate);
    if (!value || *value <= 0.0 || *value == m_displayRate)
        return;
    m_displayRate = *value;
    updateClock();
    Q_EMIT targetDisplayRateChanged();
}

void FilePlayer::setLoopPlayback(bool loop)
{
    if (m_loop == loop)
        return;
    m_loop = loop;
    m_ahead.reset();
    Q_EMIT loopPlaybackChanged();
}

void FilePlayer::setBoundStart(int frame)
{
    const int oldStart = boundStart();
    const int oldEnd = boundEnd();
    m_selection.setBoundStart(frame);
    emitBoundsIfChanged(oldStart, oldEnd);
}

void FilePlayer::setBoundEnd(int frame)
{
    const int oldStart = boundStart();
    const int oldEnd = boundEnd();
    m_selection.setBoundEnd(frame);
    emitBoundsIfChanged(oldStart, oldEnd);
}

void FilePlayer::emitBoundsIfChanged(int oldStart, int oldEnd)
{
    if (oldStart == boundStart() && oldEnd == boundEnd())
        return;
    m_ahead.reset();
    if (oldStart != boundStart())
        Q_EMIT boundStartChanged();
    if (oldEnd != boundEnd())
        Q_EMIT boundEndChanged();
    if (m_source)
        goTo(m_selection.nearest(m_frameNumber));
}

void FilePlayer::setFrameNumber(const QVariant& frame)
{
    const std::optional<double> value = numberFromInput(frame);
    if (!value || !m_source)
        return;
    // Clamped as a double first: huge numbers do not fit an int.
    const double limited = qBound(-1.0, std::round(*value), double(std::numeric_limits<int>::max()));
    goTo(m_selection.nearest(int(limited)));
}

void FilePlayer::step(int frames)
{
    if (!m_source)
        return;
    setPlaySpeed(0);
    goTo(m_selection.advance(m_frameNumber, frames, false).frame);
}

void FilePlayer::jumpTo(int frame)
{
    setFrameNumber(frame);
}

void FilePlayer::jumpToFirst()
{
    if (m_source)
        goTo(m_selection.first());
}

void FilePlayer::jumpToLast()
{
    if (m_source)
        goTo(m_selection.last());
}

void FilePlayer::close()
{
    if (m_closed)
        return;
    setPlaySpeed(0);
    m_closed = true;
    if (m_clock)
        m_clock->stop();
    // Joins the worker thread: nothing of the file is touched there afterwards.
    m_worker.reset();
    m_source.reset();
    m_ahead.reset();
    m_inFlight = false;
    m_pending = -1;
    Q_EMIT closedChanged();
}

void FilePlayer::goTo(int frame)
{
    if (frame < 0 || m_closed)
        return;
    if (frame != m_frameNumber) {
        m_frameNumber = frame;
        Q_EMIT frameNumberChanged();
    }
    if (m_ahead && m_ahead->index == frame && m_ahead->generation == m_generation) {
        RenderedFramePtr ready = std::move(m_ahead);
        m_ahead.reset();
        show(ready);
        prefetch();
        return;
    }
    m_ahead.reset();
    if (frame == m_shown && m_shownGeneration == m_generation) {
        // Back on the frame already shown: whatever was waiting is no longer wanted.
        if (m_pending >= 0)
            dropFrame();
        m_pending = -1;
        return;
    }
    request(frame);
}

void FilePlayer::request(int frame)
{
    if (m_inFlight) {
        if (m_pending >= 0 && m_pending != frame)
            dropFrame();
        const bool onItsWay = m_inFlightIndex == frame && m_inFlightGeneration == m_generation;
        m_pending = onItsWay ? -1 : frame;
        return;
    }
    send(frame);
}

void FilePlayer::send(int frame)
{
    if (!m_worker)
        return;
    RenderRequest job;
    job.index = frame;
    job.generation = m_generation;
    job.settings = m_settings;
    job.palette = m_palette;
    m_inFlight = true;
    m_inFlightIndex = frame;
    m_inFlightGeneration = m_generation;
    m_worker->render(std::move(job));
}

void FilePlayer::prefetch()
{
    if (m_playSpeed == 0 || m_inFlight || m_ahead || !m_source || m_closed)
        return;
    const FrameSelection::Move next = m_selection.advance(m_frameNumber, m_playSpeed, m_loop);
    if (next.frame >= 0 && next.frame != m_frameNumber)
        send(next.frame);
}

void FilePlayer::dropFrame()
{
    ++m_droppedFrames;
    Q_EMIT droppedFramesChanged();
}

void FilePlayer::onRendered()
{
    const std::optional<RenderedFramePtr> taken = m_results.rendered.take();
    if (m_closed || !taken)
        return;
    const RenderedFramePtr& frame = *taken;
    if (!frame->ok)
        qCInfo(lcPlayer) << "frame" << frame->index << "of" << m_path << ":" << frame->error;
    m_inFlight = false;
    // Results of outdated settings are dropped silently: the frame was asked for again.
    if (frame->generation == m_generation) {
        if (frame->index == m_frameNumber) {
            if (m_pending == frame->index)
                m_pending = -1;
            show(frame);
        } else if (m_playSpeed != 0 && m_pending < 0
            && frame->index == m_selection.advance(m_frameNumber, m_playSpeed, m_loop).frame) {
            m_ahead = frame;
        } else {
            dropFrame();
        }
    }
    if (m_pending >= 0) {
        const int next = m_pending;
        m_pending = -1;
        send(next);
    } else {
        prefetch();
    }
}

void FilePlayer::show(const RenderedFramePtr& frame)
{
    m_shown = frame->index;
    m_shownGeneration = frame->generation;
    Q_EMIT frameReady(frame);
}

void FilePlayer::onTick()
{
    if (m_playSpeed == 0 || !m_source || m_closed)
        return;
    const FrameSelection::Move move = m_selection.advance(m_frameNumber, m_playSpeed, m_loop);
    goTo(move.frame);
    if (move.ended)
        setPlaySpeed(0);
}

void FilePlayer::updateClock()
{
    if (!m_clock)
        return;
    if (m_playSpeed != 0 && !m_closed)
        m_clock->start(m_displayRate);
    else
        m_clock->stop();
}

} // namespace zelkir
