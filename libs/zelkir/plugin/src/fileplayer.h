#pragma once

#include "frameselection.h"
#include "frameworker.h"
#include "renderjob.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

#include <memory>

namespace zelkir {

class DisplayClock;

/// Playback of one file. Frames are decoded and rendered on a worker thread, one request in
/// flight at a time; a display clock advances the position. When decoding falls behind the
/// clock the position keeps moving and the frames in between are dropped, never queued.
///
/// Frame numbers are 0-based. Everything but the worker lives on the thread that made the
/// player (the GUI thread).
class FilePlayer final : public QObject
{
    Q_OBJECT
    /// Frames moved per display tick: 0 stopped, 1 play, -1 backwards, +-N fast.
    Q_PROPERTY(int playSpeed READ playSpeed WRITE setPlaySpeed NOTIFY playSpeedChanged)
    /// Display ticks per second. Writable with a number or with text; anything that is not
    /// a positive finite number is refused and the rate stays.
    Q_PROPERTY(QVariant targetDisplayRate READ targetDisplayRate WRITE setTargetDisplayRate NOTIFY
            targetDisplayRateChanged)
    Q_PROPERTY(bool loopPlayback READ loopPlayback WRITE setLoopPlayback NOTIFY loopPlaybackChanged)
    Q_PROPERTY(int boundStart READ boundStart WRITE setBoundStart NOTIFY boundStartChanged)
    Q_PROPERTY(int boundEnd READ boundEnd WRITE setBoundEnd NOTIFY boundEndChanged)
    /// The current frame. Writable with a number or numeric text; values outside the bounds
    /// are clamped, anything else is refused.
    Q_PROPERTY(QVariant frameNumber READ frameNumber WRITE setFrameNumber NOTIFY frameNumberChanged)
    Q_PROPERTY(int frameCount READ frameCount NOTIFY frameCountChanged)
    /// Display positions whose frame was never shown because decoding fell behind.
    Q_PROPERTY(int droppedFrames READ droppedFrames NOTIFY droppedFramesChanged)
    Q_PROPERTY(bool closed READ isClosed NOTIFY closedChanged)

public:
    static constexpr double DefaultDisplayRate = 30.0;

    /// Takes ownership of `clock`; null gives a timer clock.
    explicit FilePlayer(DisplayClock* clock = nullptr, QObject* parent = nullptr);
    ~FilePlayer() override;

    /// Opens `path` on the worker; sourceOpened() or openFailed() follows, never before
    /// the caller returns to the event loop.
    void open(const QString& path);
    const std::shared_ptr<FrameSource>& source() const { return m_source; }

    /// Settings for every frame rendered from now on; the current frame is rendered again.
    void setRenderSettings(const EnhancementSettings& settings, std::shared_ptr<const Palette> palette);
    /// Restricts playback to one preset's frames (-1: all), moving to the nearest such frame.
    void setPresetFilter(int preset);

    int playSpeed() const { return m_playSpeed; }
    void setPlaySpeed(int speed);
    QVariant targetDisplayRate() const { return m_displayRate; }
    void setTargetDisplayRate(const QVariant& rate);
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
    bool isClosed() const { return m_closed; }
    /// The frame rendered ahead of the position during playback, -1 when none is waiting.
    int frameAhead() const { return m_ahead ? m_ahead->index : -1; }

    /// Moves `frames` frames (negative: back) and stops playback.
    Q_INVOKABLE void step(int frames);
    /// Goes to frame `frame`, clamped into the bounds; playback continues from there.
    Q_INVOKABLE void jumpTo(int frame);
    Q_INVOKABLE void jumpToFirst();
    Q_INVOKABLE void jumpToLast();
    /// Stops playback and the worker and lets go of the file. Further calls do nothing.
    Q_INVOKABLE void close();

Q_SIGNALS:
    void playSpeedChanged();
    void targetDisplayRateChanged();
    void loopPlaybackChanged();
    void boundStartChanged();
    void boundEndChanged();
    void frameNumberChanged();
    void frameCountChanged();
    void droppedFramesChanged();
    void closedChanged();

    void sourceOpened(const zelkir::OpenResultPtr& result);
    void openFailed(const QString& message);
    /// A frame was rendered for the current position (or could not be read).
    void frameReady(const zelkir::RenderedFramePtr& frame);

private Q_SLOTS:
    // Queued by name from the worker thread, so that Qt alone allocates the call.
    void onOpened();
    void onRendered();

private:
    void onTick();
    void goTo(int frame);
    void request(int frame);
    void send(int frame);
    void prefetch();
    void show(const RenderedFramePtr& frame);
    void dropFrame();
    void updateClock();
    void emitBoundsIfChanged(int oldStart, int oldEnd);

    QPointer<DisplayClock> m_clock;
    QString m_path;
    FrameWorker::Results m_results;
    std::unique_ptr<FrameWorker> m_worker;
    std::shared_ptr<FrameSource> m_source;
    FrameSelection m_selection;

    EnhancementSettings m_settings;
    std::shared_ptr<const Palette> m_palette;
    quint64 m_generation = 0;

    int m_playSpeed = 0;
    double m_displayRate = DefaultDisplayRate;
    bool m_loop = false;
    int m_frameNumber = 0;
    int m_droppedFrames = 0;
    bool m_closed = false;

    bool m_inFlight = false;
    int m_inFlightIndex = -1;
    quint64 m_inFlightGeneration = 0;
    int m_pending = -1;
    /// The frame shown last and a frame rendered ahead of the position during playback.
    int m_shown = -1;
    quint64 m_shownGeneration = 0;
    RenderedFramePtr m_ahead;
};

} // namespace zelkir
