#include "documentmodel.h"
#include "fakesource.h"
#include "fileplayer.h"
#include "manualclock.h"
#include "samplefiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using zelkir::FilePlayer;
using zelkir::RenderedFramePtr;

class TestFilePlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void opensAtFirstFrame();
    void playForwards();
    void playBackwards();
    void playFast();
    void stopsAtTheEnd();
    void loops();
    void bounds();
    void stepStopsPlayback();
    void jumps();
    void frameNumberWrites_data();
    void frameNumberWrites();
    void displayRateWrites_data();
    void displayRateWrites();
    void clockRunsOnlyWhilePlaying();
    void dropsFramesWhenBehind();
    void prefetchesDuringPlayback();
    void settingsRenderAgain();
    void closeStopsEverything();
    void unreadableFilesFail_data();
    void unreadableFilesFail();
    void framesLostWhilePlaying_data();
    void framesLostWhilePlaying();
    void closingNeverWaits_data();
    void closingNeverWaits();
    void hugeFrameCount();

private:
    /// Waits for the frame of the current position to be shown and returns it.
    RenderedFramePtr waitForCurrentFrame();
    int currentFrame() const { return m_player->frameNumber().toInt(); }
    static int currentFrame(const FilePlayer& player) { return player.currentFrame(); }

    QTemporaryDir m_dir;
    QString m_movie;
    static constexpr int Frames = SampleFiles::movieFrames;
    ManualClock* m_clock = nullptr;
    std::unique_ptr<FilePlayer> m_player;
    std::unique_ptr<QSignalSpy> m_frames;
};

void TestFilePlayer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_movie = SampleFiles::moviePath();
    QVERIFY(QFile::exists(m_movie));
}

void TestFilePlayer::init()
{
    m_clock = new ManualClock;
    m_player = std::make_unique<FilePlayer>(m_movie, m_clock);
    m_frames = std::make_unique<QSignalSpy>(m_player.get(), &FilePlayer::frameReady);
    QSignalSpy opened(m_player.get(), &FilePlayer::opened);
    m_player->start();
    QVERIFY(opened.wait());
    QVERIFY(waitForCurrentFrame());
    m_frames->clear();
}

void TestFilePlayer::cleanup()
{
    m_frames.reset();
    m_player.reset();
}

RenderedFramePtr TestFilePlayer::waitForCurrentFrame()
{
    auto current = [this]() -> RenderedFramePtr {
        if (m_frames->isEmpty())
            return nullptr;
        auto frame = m_frames->last().at(0).value<RenderedFramePtr>();
        return frame->index == currentFrame() ? frame : nullptr;
    };
    if (!current()) {
        if (!QTest::qWaitFor([&] { return current() != nullptr; }, 5000))
            return nullptr;
    }
    return current();
}

void TestFilePlayer::opensAtFirstFrame()
{
    QCOMPARE(m_player->frameCount(), Frames);
    QCOMPARE(m_player->boundStart(), 0);
    QCOMPARE(m_player->boundEnd(), Frames - 1);
    QCOMPARE(currentFrame(), 0);
    QCOMPARE(m_player->playSpeed(), 0);
}

void TestFilePlayer::playForwards()
{
    m_player->setPlaySpeed(1);
    for (int expected = 1; expected <= 3; ++expected) {
        m_clock->advance();
        QCOMPARE(currentFrame(), expected);
        const RenderedFramePtr frame = waitForCurrentFrame();
        QVERIFY(frame);
        QVERIFY(frame->ok);
        QCOMPARE(frame->image.size(), QSize(SampleFiles::movieWidth, SampleFiles::movieHeight));
    }
}

void TestFilePlayer::playBackwards()
{
    m_player->jumpToLast();
    QVERIFY(waitForCurrentFrame());
    m_player->setPlaySpeed(-1);
    m_clock->advance();
    QCOMPARE(currentFrame(), Frames - 2);
    QVERIFY(waitForCurrentFrame());
}

void TestFilePlayer::playFast()
{
    m_player->setPlaySpeed(5);
    m_clock->advance();
    QCOMPARE(currentFrame(), 5);
    QVERIFY(waitForCurrentFrame());
    m_clock->advance();
    QCOMPARE(currentFrame(), 10);
    m_player->setPlaySpeed(-3);
    m_clock->advance();
    QCOMPARE(currentFrame(), 7);
}

void TestFilePlayer::stopsAtTheEnd()
{
    QSignalSpy speed(m_player.get(), &FilePlayer::playSpeedChanged);
    m_player->jumpTo(Frames - 2);
    m_player->setPlaySpeed(1);
    m_clock->advance();
    QCOMPARE(currentFrame(), Frames - 1);
    QCOMPARE(m_player->playSpeed(), 1);
    m_clock->advance();
    QCOMPARE(currentFrame(), Frames - 1);
    QCOMPARE(m_player->playSpeed(), 0);
    QCOMPARE(speed.count(), 2);
}

void TestFilePlayer::loops()
{
    m_player->setLoopPlayback(true);
    m_player->jumpTo(Frames - 1);
    m_player->setPlaySpeed(1);
    m_clock->advance();
    QCOMPARE(currentFrame(), 0);
    m_player->setPlaySpeed(-1);
    m_clock->advance();
    QCOMPARE(currentFrame(), Frames - 1);
    QCOMPARE(m_player->playSpeed(), -1);
    QVERIFY(waitForCurrentFrame());
}

void TestFilePlayer::bounds()
{
    QSignalSpy start(m_player.get(), &FilePlayer::boundStartChanged);
    QSignalSpy end(m_player.get(), &FilePlayer::boundEndChanged);
    m_player->setBoundStart(5);
    m_player->setBoundEnd(8);
    QCOMPARE(start.count(), 1);
    QCOMPARE(end.count(), 1);
    // The position follows the range.
    QCOMPARE(currentFrame(), 5);
    m_player->setFrameNumber(12);
    QCOMPARE(currentFrame(), 8);
    m_player->setLoopPlayback(true);
    m_player->setPlaySpeed(1);
    m_clock->advance();
    QCOMPARE(currentFrame(), 5);

    m_player->setBoundEnd(Frames + 100);
    QCOMPARE(m_player->boundEnd(), Frames - 1);
    m_player->setBoundStart(-7);
    QCOMPARE(m_player->boundStart(), 0);
    m_player->setBoundStart(Frames + 3);
    QCOMPARE(m_player->boundStart(), Frames - 1);
    QCOMPARE(m_player->boundEnd(), Frames - 1);
    QCOMPARE(currentFrame(), Frames - 1);
}

void TestFilePlayer::stepStopsPlayback()
{
    m_player->setPlaySpeed(1);
    m_player->step(1);
    QCOMPARE(m_player->playSpeed(), 0);
    QCOMPARE(currentFrame(), 1);
    m_player->step(-1);
    m_player->step(-1);
    QCOMPARE(currentFrame(), 0);
    m_player->step(4);
    QCOMPARE(currentFrame(), 4);
    QVERIFY(waitForCurrentFrame());
}

void TestFilePlayer::jumps()
{
    m_player->jumpTo(7);
    QCOMPARE(currentFrame(), 7);
    m_player->jumpToLast();
    QCOMPARE(currentFrame(), Frames - 1);
    m_player->jumpToFirst();
    QCOMPARE(currentFrame(), 0);
    m_player->jumpTo(-4);
    QCOMPARE(currentFrame(), 0);
    m_player->jumpTo(Frames * 3);
    QCOMPARE(currentFrame(), Frames - 1);
    // A running playback carries on from the new position.
    m_player->setPlaySpeed(-1);
    m_player->jumpTo(10);
    m_clock->advance();
    QCOMPARE(currentFrame(), 9);
}

void TestFilePlayer::frameNumberWrites_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("number") << QVariant(7) << 7;
    QTest::newRow("double rounds") << QVariant(7.6) << 8;
    QTest::newRow("text") << QVariant(QStringLiteral("12")) << 12;
    QTest::newRow("text with blanks") << QVariant(QStringLiteral(" 3 ")) << 3;
    QTest::newRow("beyond the end") << QVariant(1000) << Frames - 1;
    QTest::newRow("negative") << QVariant(-5) << 0;
    QTest::newRow("huge text") << QVariant(QStringLiteral("1e30")) << Frames - 1;
    QTest::newRow("letters refused") << QVariant(QStringLiteral("abc")) << 2;
    QTest::newRow("empty text refused") << QVariant(QString()) << 2;
    QTest::newRow("nan refused") << QVariant(qQNaN()) << 2;
    QTest::newRow("undefined refused") << QVariant() << 2;
    QTest::newRow("boolean refused") << QVariant(true) << 2;
}

void TestFilePlayer::frameNumberWrites()
{
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    m_player->setFrameNumber(2);
    QCOMPARE(currentFrame(), 2);
    m_player->setFrameNumber(value);
    QCOMPARE(currentFrame(), expected);
    QCOMPARE(m_player->frameNumber().toInt(), expected);
}

void TestFilePlayer::displayRateWrites_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<double>("expected");

    QTest::newRow("number") << QVariant(60.5) << 60.5;
    QTest::newRow("text") << QVariant(QStringLiteral("25")) << 25.0;
    QTest::newRow("letters refused") << QVariant(QStringLiteral("fast")) << 40.0;
    QTest::newRow("empty refused") << QVariant(QString()) << 40.0;
    QTest::newRow("zero refused") << QVariant(0) << 40.0;
    QTest::newRow("negative text refused") << QVariant(QStringLiteral("-3")) << 40.0;
    QTest::newRow("infinity refused") << QVariant(qInf()) << 40.0;
}

void TestFilePlayer::displayRateWrites()
{
    QFETCH(QVariant, value);
    QFETCH(double, expected);
    m_player->setTargetDisplayRate(40.0);
    QSignalSpy changed(m_player.get(), &FilePlayer::targetDisplayRateChanged);
    m_player->setTargetDisplayRate(value);
    QCOMPARE(m_player->targetDisplayRate().toDouble(), expected);
    QCOMPARE(changed.count(), expected == 40.0 ? 0 : 1);
}

void TestFilePlayer::clockRunsOnlyWhilePlaying()
{
    QVERIFY(!m_clock->isRunning());
    m_player->setTargetDisplayRate(12.0);
    QVERIFY(!m_clock->isRunning());
    m_player->setPlaySpeed(-10);
    QVERIFY(m_clock->isRunning());
    QCOMPARE(m_clock->rate(), 12.0);
    m_player->setTargetDisplayRate(QStringLiteral("50"));
    QCOMPARE(m_clock->rate(), 50.0);
    m_player->setPlaySpeed(0);
    QVERIFY(!m_clock->isRunning());
}

void TestFilePlayer::dropsFramesWhenBehind()
{
    m_player->setPlaySpeed(1);
    // Five ticks before the worker's results can come back: the positions in between
    // are skipped, not queued behind each other.
    m_clock->advance(5);
    QCOMPARE(currentFrame(), 5);
    const RenderedFramePtr frame = waitForCurrentFrame();
    QVERIFY(frame);
    QCOMPARE(frame->index, 5);
    QCOMPARE(m_player->droppedFrames(), 4);
    for (const QList<QVariant>& shown : std::as_const(*m_frames)) {
        const int index = shown.at(0).value<RenderedFramePtr>()->index;
        QVERIFY2(index == 5, qPrintable(QStringLiteral("frame %1 shown").arg(index)));
    }
}

void TestFilePlayer::prefetchesDuringPlayback()
{
    m_player->setPlaySpeed(2);
    // The next frame is rendered while the current one is on screen, so a tick shows it
    // at once.
    QTRY_COMPARE_WITH_TIMEOUT(m_player->frameAhead(), 2, 5000);
    m_frames->clear();
    m_clock->advance();
    QCOMPARE(m_frames->count(), 1);
    QCOMPARE(m_frames->at(0).at(0).value<RenderedFramePtr>()->index, 2);
    QCOMPARE(m_player->droppedFrames(), 0);
}

void TestFilePlayer::settingsRenderAgain()
{
    std::array<std::uint32_t, zelkir::Palette::Levels> red {};
    for (int level = 0; level < zelkir::Palette::Levels; ++level)
        red[std::size_t(level)] = zelkir::argb(level, 0, 0);
    m_player->setRenderSettings(zelkir::EnhancementSettings(), std::make_shared<const zelkir::Palette>(red));
    QVERIFY(m_frames->wait());
    const RenderedFramePtr frame = m_frames->last().at(0).value<RenderedFramePtr>();
    QCOMPARE(frame->index, 0);
    bool anyRed = false;
    for (int y = 0; y < frame->image.height(); ++y) {
        for (int x = 0; x < frame->image.width(); ++x) {
            const QRgb pixel = frame->image.pixel(x, y);
            QCOMPARE(qGreen(pixel), 0);
            anyRed = anyRed || qRed(pixel) > 0;
        }
    }
    QVERIFY(anyRed);
}

void TestFilePlayer::closeStopsEverything()
{
    QSignalSpy closed(m_player.get(), &FilePlayer::closedChanged);
    m_player->setPlaySpeed(1);
    m_player->close();
    QCOMPARE(closed.count(), 1);
    QVERIFY(m_player->isClosed());
    QVERIFY(!m_clock->isRunning());
    QCOMPARE(m_player->playSpeed(), 0);
    const int before = currentFrame();
    m_player->setFrameNumber(5);
    m_player->step(1);
    m_clock->advance(3);
    QCOMPARE(currentFrame(), before);
    m_player->close();
    QCOMPARE(closed.count(), 1);
}

void TestFilePlayer::unreadableFilesFail_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << QStringLiteral("missing");
    QTest::newRow("header cut") << QStringLiteral("header");
    QTest::newRow("not an image") << QStringLiteral("text");
}

void TestFilePlayer::unreadableFilesFail()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath(kind + QStringLiteral(".fits"));
    if (kind == QLatin1String("header")) {
        QVERIFY(writeTruncatedCopy(m_movie, path, 1000));
    } else if (kind == QLatin1String("text")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("SIMPLE  = nonsense, not a picture at all\n");
    }
    FilePlayer player(path, new ManualClock);
    QSignalSpy failed(&player, &FilePlayer::openFailed);
    player.start();
    // Reported through the event loop, never before open() returns.
    QCOMPARE(failed.count(), 0);
    QVERIFY(failed.wait());
    QVERIFY(!failed.at(0).at(0).toString().isEmpty());
    QCOMPARE(player.frameCount(), 0);
    player.setFrameNumber(3);
    player.setPlaySpeed(1);
    QCOMPARE(player.frameNumber().toInt(), 0);
}

void TestFilePlayer::framesLostWhilePlaying_data()
{
    QTest::addColumn<int>("readable");
    QTest::newRow("truncated") << 12;
    QTest::newRow("emptied") << 0;
}

void TestFilePlayer::framesLostWhilePlaying()
{
    QFETCH(int, readable);
    auto control = std::make_shared<FakeSourceControl>();
    auto* clock = new ManualClock;
    FilePlayer player(QString(), clock, fakeSourceOpener(control, Frames));
    QSignalSpy frames(&player, &FilePlayer::frameReady);
    QSignalSpy opened(&player, &FilePlayer::opened);
    auto shown = [&frames]() -> RenderedFramePtr {
        return frames.isEmpty() ? nullptr : frames.last().at(0).value<RenderedFramePtr>();
    };
    player.start();
    QVERIFY(opened.wait());
    player.setPlaySpeed(1);
    for (int i = 0; i < 5; ++i) {
        clock->advance();
        QTRY_VERIFY_WITH_TIMEOUT(shown() && shown()->index == currentFrame(player), 5000);
    }
    control->readable = readable;
    QSignalSpy errors(&player, &FilePlayer::readErrorChanged);
    QVERIFY(QTest::qWaitFor(
        [&] {
            clock->advance();
            return !player.readError().isEmpty();
        },
        5000));
    QCOMPARE(errors.count(), 1);
    QVERIFY2(player.readError().contains(QString::number(readable)), qPrintable(player.readError()));
    QCOMPARE(player.playSpeed(), 0);
    QCOMPARE(player.frameCount(), readable);
    QCOMPARE(player.boundEnd(), qMax(0, readable - 1));
    // What is shown is the position: the last frame still readable, or nothing.
    QTRY_VERIFY_WITH_TIMEOUT(shown()->index == currentFrame(player) || readable == 0, 5000);
    const RenderedFramePtr last = shown();
    QCOMPARE(last->ok, readable > 0);
    if (readable > 0) {
        QVERIFY(currentFrame(player) < readable);
        player.jumpToLast();
        QCOMPARE(currentFrame(player), readable - 1);
        QTRY_COMPARE_WITH_TIMEOUT(shown()->index, readable - 1, 5000);
        QVERIFY(shown()->ok);
    } else {
        QCOMPARE(last->readableFrames, 0);
    }
}

void TestFilePlayer::closingNeverWaits_data()
{
    QTest::addColumn<bool>("whileOpening");
    QTest::newRow("opening") << true;
    QTest::newRow("reading") << false;
}

void TestFilePlayer::closingNeverWaits()
{
    QFETCH(bool, whileOpening);
    auto control = std::make_shared<FakeSourceControl>();
    // Held before the worker can get past the opening.
    if (whileOpening)
        control->hold();
    auto* player = new FilePlayer(QString(), new ManualClock, fakeSourceOpener(control, Frames));
    auto document = std::make_unique<zelkir::DocumentModel>(player, nullptr);
    if (!whileOpening) {
        QSignalSpy frames(player, &FilePlayer::frameReady);
        QVERIFY(frames.wait());
    }
    control->hold();
    if (!whileOpening)
        player->jumpTo(7);
    QVERIFY(control->waitForBlocked(5000));

    QElapsedTimer timer;
    timer.start();
    player->close();
    document.reset();
    QVERIFY2(timer.elapsed() < 500, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QVERIFY(!control->destroyed);
    // The worker finishes on its own and lets go of the source.
    control->release();
    QVERIFY(control->waitForDestroyed(5000));
    QTRY_COMPARE_WITH_TIMEOUT(control.use_count(), 1L, 5000);
}

void TestFilePlayer::hugeFrameCount()
{
    constexpr int Huge = std::numeric_limits<int>::max();
    zelkir::PresetInfo presets;
    presets.sequencing = true;
    presets.availablePresets = 0x0F;
    auto control = std::make_shared<FakeSourceControl>();
    auto* clock = new ManualClock;
    FilePlayer player(QString(), clock, fakeSourceOpener(control, Huge, presets));
    QSignalSpy opened(&player, &FilePlayer::opened);
    QSignalSpy frames(&player, &FilePlayer::frameReady);
    player.start();
    QVERIFY(opened.wait(5000));
    QCOMPARE(player.frameCount(), Huge);
    QCOMPARE(player.boundEnd(), Huge - 1);
    // Presets are listed for a bounded number of frames only.
    QVERIFY(control->reads < 100);
    player.jumpToLast();
    QCOMPARE(currentFrame(player), Huge - 1);
    player.setPresetFilter(2);
    QCOMPARE(currentFrame(player) % 4, 2);
    player.step(-1);
    QCOMPARE(currentFrame(player) % 4, 2);
    player.setLoopPlayback(true);
    player.setPlaySpeed(Huge);
    clock->advance();
    QCOMPARE(currentFrame(player) % 4, 2);
    player.setPlaySpeed(0);
    QTRY_VERIFY_WITH_TIMEOUT(
        !frames.isEmpty() && frames.last().at(0).value<RenderedFramePtr>()->index == currentFrame(player),
        5000);
}

QTEST_GUILESS_MAIN(TestFilePlayer)
#include "tst_fileplayer.moc"
