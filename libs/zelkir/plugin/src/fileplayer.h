#pragma once

#include "frameproducer.h"
#include "frameschedule.h"
#include "frameselection.h"
#include "frameworker.h"

#include <QPointer>
#include <QVariant>
#include <qqmlregistration.h>

#include <memory>

namespace zelkir {

class DisplayClock;

/// Playback of one file. Frames are decoded and rendered on a worker thread, one request in
/// flight at a time; a display clock advances the position. When decoding falls behind the
/// clock the position keeps moving and the frames in between are dropped, never queued.
///
/// Frame numbers are 0-based. Everything but the worker lives on the thread that made the
/// player (the GUI thread), which never waits for the worker.
// The base named in full, so that the QML type description finds it.
class FilePlayer final : public zelkir::FrameProducer
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the plugin")
    /// Frames moved per display tick: 0 stopped, 1 play, -1 backwards, +-N fast.
    Q_PROPERTY(int playSpeed READ playSpeed WRITE setPlaySpeed NOTIFY playSpeedChanged)
    Q_PROPERTY(bool loopPlayback READ loopPlayback WRITE setLoopPlayback NOTIFY loopPlaybackChanged)
    Q_PROPERTY(int boundStart READ boundStart WRITE setBoundStart NOTIFY boundStartChanged)
    Q_PROPERTY(int boundEnd READ boundEnd WRITE setBoundEnd NOTIFY boundEndChanged)
    /// The current frame. Writable with a number or numeric text; values outside the bounds
    /// are clamped, anything else is refused.
    Q_PROPERTY(QVariant frameNumber READ frameNumber WRITE setFrameNumber NOTIFY frameNumberChanged)
    Q_PROPERTY(int frameCount READ frameCount NOTIFY frameCountChanged)
    /// Display positions whose frame was never shown because decoding fell behind.
    Q_PROPERTY(int droppedFrames READ droppedFrames NOTIFY droppedFramesChanged)
    /// Empty while reads succeed; a sentence for the user once frames the file held can no
    /// longer be read.
    Q_PROPERTY(QString readError READ readError NOTIFY readErrorChanged)

public:
    static constexpr double DefaultDisplayRate = 30.0;

    /// Plays the file at `path` once started. Takes ownership of `clock` (null: a timer
    /// clock); `opener` opens the file on the worker (null: by the file's content).
    explicit FilePlayer(
        QString path, DisplayClock* clock = nullptr, SourceOpener opener = {}, QObject* parent = nullptr);
    ~FilePlayer() override;

    QString path() const { return m_path; }
    /// Opens the file on the worker; opened() or openFailed() follows.
    void start() override;
    void setRenderSettings(
        const EnhancementSettings& settings, std::shared_ptr<const Palette> palette) override;
    /// Restricts playback to one preset's frames (-1: all), moving to the nearest such frame.
    void setPresetFilter(int preset) override;

    int playSpeed() const { return m_playSpeed; }
    void setPlaySpeed(int speed);
    /// Display ticks per second.
    QVariant targetDisplayRate() const override { return m_displayRate; }
    void setTargetDisplayRate(const QVariant& rate) override;
    bool loopPlayback() const { return m_loop; }
    void setLoopPlayback(bool loop);
    int boundStart() const { return m_selection.boundStart(); }
    void setBoundStart(int frame);
    int boundEnd() const { return qMax(0, m_selection.boundEnd()); }
    void setBoundEnd(int frame);
    QVariant frameNumber() const { return m_frameNumber; }
    void setFrameNumber(const QVariant& frame);
    int currentFrame() const { return m_frameNumber; }
    int frameCount() const { return m_selection.frameCount(); }
    int droppedFrames() const { return m_droppedFrames; }
    QString readError() const { return m_readError; }
    bool isClosed() const override { return m_closed; }
    /// The frame rendered ahead of the position during playback, -1 when none is waiting.
    int frameAhead() const { return m_schedule.ahead(); }

    /// Moves `frames` frames (negative: back) and stops playback.
    Q_INVOKABLE void step(int frames);
    /// Goes to frame `frame`, clamped into the bounds; playback continues from there.
    Q_INVOKABLE void jumpTo(int frame);
    Q_INVOKABLE void jumpToFirst();
    Q_INVOKABLE void jumpToLast();
    /// Stops playback and the worker and lets go of the file, without waiting for a read
    /// under way. Further calls do nothing.
    Q_INVOKABLE void close() override;

Q_SIGNALS:
    void playSpeedChanged();
    void loopPlaybackChanged();
    void boundStartChanged();
    void boundEndChanged();
    void frameNumberChanged();
    void frameCountChanged();
    void droppedFramesChanged();
    void readErrorChanged();

private Q_SLOTS:
    // Queued by name from the worker thread, so that Qt alone allocates the call.
    void onOpened();
    void onRendered();

private:
    /// Open, not closed, and with frames left to read.
    bool isPlayable() const { return m_opened && !m_closed && m_selection.frameCount() > 0; }
    void onTick();
    void goTo(int frame);
    /// Where playback goes on the next tick; -1 while stopped.
    int nextFrame() const;
    void apply(const FrameSchedule::Step& step);
    void readFailed(const RenderedFramePtr& frame);
    void setPosition(int frame);
    void updateClock();
    void emitRangeIfChanged(int oldCount, int oldStart, int oldEnd);

    QPointer<DisplayClock> m_clock;
    const QString m_path;
    std::unique_ptr<FrameWorker> m_worker;
    FrameSelection m_selection;
    FrameSchedule m_schedule;

    EnhancementSettings m_settings;
    std::shared_ptr<const Palette> m_palette;

    bool m_opened = false;
    int m_playSpeed = 0;
    double m_displayRate = DefaultDisplayRate;
    bool m_loop = false;
    int m_frameNumber = 0;
    int m_droppedFrames = 0;
    QString m_readError;
    bool m_closed = false;
};

} // namespace zelkir
