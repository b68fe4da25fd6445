#include "fileplayer.h"

#include "logging.h"
#include "numberinput.h"
#include "timerdisplayclock.h"

#include <QtMath>

#include <limits>

namespace zelkir {

FilePlayer::FilePlayer(QString path, DisplayClock* clock, SourceOpener opener, QObject* parent)
    : FrameProducer(parent)
    , m_clock(clock ? clock : new TimerDisplayClock)
    , m_path(std::move(path))
{
    qRegisterMetaType<RenderedFramePtr>();
    qRegisterMetaType<OpenResultPtr>();

    m_clock->setParent(this);
    connect(m_clock, &DisplayClock::tick, this, &FilePlayer::onTick);

    // The worker tells of results from its own thread, never once close() has returned;
    // the player takes them on its own.
    m_worker = std::make_unique<FrameWorker>(
        std::move(opener), [this] { QMetaObject::invokeMethod(this, "onOpened", Qt::QueuedConnection); },
        [this] { QMetaObject::invokeMethod(this, "onRendered", Qt::QueuedConnection); });
}

FilePlayer::~FilePlayer()
{
    close();
}

void FilePlayer::start()
{
    if (!m_closed)
        m_worker->open(m_path);
}

void FilePlayer::onOpened()
{
    const std::optional<OpenResultPtr> taken = m_worker ? m_worker->results().opened.take() : std::nullopt;
    if (m_closed || !taken)
        return;
    const OpenResultPtr& result = *taken;
    if (!result->ok) {
        qCInfo(lcPlayer) << "cannot open" << m_path << ":" << result->error;
        Q_EMIT openFailed(result->error);
        return;
    }
    m_opened = true;
    m_schedule.clear();
    m_selection.reset(result->info.frameCount, result->presets);
    Q_EMIT frameCountChanged();
    Q_EMIT boundStartChanged();
    Q_EMIT boundEndChanged();
    if (qIsFinite(result->info.frameRate) && result->info.frameRate > 0.0)
        setTargetDisplayRate(result->info.frameRate);
    Q_EMIT opened(result);
    goTo(m_selection.first());
}

void FilePlayer::setRenderSettings(
    const EnhancementSettings& settings, std::shared_ptr<const Palette> palette)
{
    m_settings = settings;
    m_palette = std::move(palette);
    const FrameSchedule::Step step = m_schedule.renew(m_frameNumber);
    if (isPlayable())
        apply(step);
    else
        m_schedule.clear();
}

void FilePlayer::setPresetFilter(int preset)
{
    m_selection.setPreset(preset);
    m_schedule.forgetAhead();
    if (isPlayable())
        goTo(m_selection.nearest(m_frameNumber));
}

void FilePlayer::setPlaySpeed(int speed)
{
    if (m_playSpeed == speed)
        return;
    m_playSpeed = speed;
    m_schedule.forgetAhead();
    updateClock();
    Q_EMIT playSpeedChanged();
    if (isPlayable())
        apply(m_schedule.prefetch(m_frameNumber, nextFrame()));
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
    m_schedule.forgetAhead();
    Q_EMIT loopPlaybackChanged();
}

void FilePlayer::setBoundStart(int frame)
{
    const int oldCount = frameCount();
    const int oldStart = boundStart();
    const int oldEnd = boundEnd();
    m_selection.setBoundStart(frame);
    emitRangeIfChanged(oldCount, oldStart, oldEnd);
}

void FilePlayer::setBoundEnd(int frame)
{
    const int oldCount = frameCount();
    const int oldStart = boundStart();
    const int oldEnd = boundEnd();
    m_selection.setBoundEnd(frame);
    emitRangeIfChanged(oldCount, oldStart, oldEnd);
}

void FilePlayer::emitRangeIfChanged(int oldCount, int oldStart, int oldEnd)
{
    if (oldCount == frameCount() && oldStart == boundStart() && oldEnd == boundEnd())
        return;
    m_schedule.forgetAhead();
    if (oldCount != frameCount())
        Q_EMIT frameCountChanged();
    if (oldStart != boundStart())
        Q_EMIT boundStartChanged();
    if (oldEnd != boundEnd())
        Q_EMIT boundEndChanged();
    if (isPlayable())
        goTo(m_selection.nearest(m_frameNumber));
}

void FilePlayer::setFrameNumber(const QVariant& frame)
{
    const std::optional<double> value = numberFromInput(frame);
    if (!value || !isPlayable())
        return;
    // Clamped as a double first: huge numbers do not fit an int.
    const double limited = qBound(-1.0, std::round(*value), double(std::numeric_limits<int>::max()));
    goTo(m_selection.nearest(int(limited)));
}

void FilePlayer::step(int frames)
{
    if (!isPlayable())
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
    if (isPlayable())
        goTo(m_selection.first());
}

void FilePlayer::jumpToLast()
{
    if (isPlayable())
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
    // Returns at once: the worker finishes what it is doing and lets go of the file itself.
    m_worker.reset();
    m_schedule.clear();
    Q_EMIT closedChanged();
}

void FilePlayer::setPosition(int frame)
{
    if (frame == m_frameNumber)
        return;
    m_frameNumber = frame;
    Q_EMIT frameNumberChanged();
}

void FilePlayer::goTo(int frame)
{
    if (frame < 0 || !isPlayable())
        return;
    setPosition(frame);
    apply(m_schedule.moveTo(frame, nextFrame()));
}

int FilePlayer::nextFrame() const
{
    if (m_playSpeed == 0)
        return -1;
    const FrameSelection::Move next = m_selection.advance(m_frameNumber, m_playSpeed, m_loop);
    return next.frame != m_frameNumber ? next.frame : -1;
}

void FilePlayer::apply(const FrameSchedule::Step& step)
{
    if (step.dropped > 0) {
        m_droppedFrames += step.dropped;
        Q_EMIT droppedFramesChanged();
    }
    if (step.render >= 0 && m_worker) {
        RenderRequest job;
        job.index = step.render;
        job.generation = m_schedule.generation();
        job.settings = m_settings;
        job.palette = m_palette;
        m_worker->render(std::move(job));
    }
    if (step.show)
        Q_EMIT frameReady(step.show);
}

void FilePlayer::onRendered()
{
    const std::optional<RenderedFramePtr> taken
        = m_worker ? m_worker->results().rendered.take() : std::nullopt;
    if (m_closed || !taken)
        return;
    const RenderedFramePtr& frame = *taken;
    if (!frame->ok) {
        qCInfo(lcPlayer) << "frame" << frame->index << "of" << m_path << ":" << frame->error;
        // A read that failed beyond frames already known lost (one in flight when the
        // first failure came) teaches nothing new and must not move the position again.
        if (frame->readableFrames >= 0 && frame->readableFrames < frameCount()) {
            readFailed(frame);
            return;
        }
    }
    apply(m_schedule.receive(frame, m_frameNumber, nextFrame()));
}

void FilePlayer::readFailed(const RenderedFramePtr& frame)
{
    // The position never runs on past what can be shown: playback stops on the last
    // frame still readable, and the frames after it leave the range.
    const int readable = qMin(frame->readableFrames, frameCount());
    const int oldCount = frameCount();
    const int oldStart = boundStart();
    const int oldEnd = boundEnd();
    setPlaySpeed(0);
    m_selection.limitFrameCount(readable);
    // Opening bounds the frames by the file's size, so frames it declared that fail now
    // were lost since.
    const QString error
        = tr("The file changed on disk: frames from %1 on can no longer be read.").arg(readable);
    if (error != m_readError) {
        m_readError = error;
        Q_EMIT readErrorChanged();
    }
    if (readable == 0) {
        // Nothing left to show: the failed frame goes out so the image is taken down.
        m_schedule.clear();
        setPosition(0);
        emitRangeIfChanged(oldCount, oldStart, oldEnd);
        Q_EMIT frameReady(frame);
        return;
    }
    const int shown = m_schedule.shown();
    const int target = m_selection.nearest(shown >= 0 && shown < readable ? shown : readable - 1);
    if (target >= 0)
        setPosition(target);
    FrameSchedule::Step step = m_schedule.receive(frame, m_frameNumber, -1);
    step.dropped = 0;
    apply(step);
    emitRangeIfChanged(oldCount, oldStart, oldEnd);
    goTo(target);
}

void FilePlayer::onTick()
{
    if (m_playSpeed == 0 || !isPlayable())
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
