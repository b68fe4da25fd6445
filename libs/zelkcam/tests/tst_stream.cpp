// Images from a camera opened for streaming: the fake camera's test pattern in
// the formats it sends, a format that is refused, the counts, and cameras that
// stop answering before or while they stream.
#include "cfakecameras.h"

#include <zelk/cam/stream.h>

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <mutex>

using namespace zelk::cam;
using gic::FeatureValue;

namespace {

// Collects what the receive thread hands over.
struct SReceived
{
    std::mutex mutex;
    std::vector<std::shared_ptr<const SStreamFrame>> frames;
    std::atomic<int> losses { 0 };
    std::string reason;

    CStreamingCamera::FrameHandler frameHandler()
    {
        return [this](std::shared_ptr<const SStreamFrame> frame) {
            std::lock_guard<std::mutex> lock(mutex);
            frames.push_back(std::move(frame));
        };
    }
    CStreamingCamera::LossHandler lossHandler()
    {
        return [this](const std::string& why) {
            std::lock_guard<std::mutex> lock(mutex);
            reason = why;
            ++losses;
        };
    }
    int count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return int(frames.size());
    }
};

bool Write(CStreamingCamera& camera, const char* name, FeatureValue value)
{
    std::string error;
    if (!camera.features().write(name, value, error))
        qWarning("%s", error.c_str());
    return error.empty();
}

} // namespace

class TestStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void unpack_data();
    void unpack();
    void firstFrames_data();
    void firstFrames();
    void refusesOtherPixelFormats();
    void openFailsOnceTheCameraStopped();
    void lossWhileStreamingIsReportedOnce_data();
    void lossWhileStreamingIsReportedOnce();

private:
    CFakeCameras m_fakes;
};

void TestStream::initTestCase()
{
    QCOMPARE(m_fakes.count(), 4);
    QCOMPARE(PixelFormatName(EPixelFormat::Mono12Packed), "Mono12Packed");
    QCOMPARE(PixelFormatBits(EPixelFormat::Mono14), 14);
}

void TestStream::unpack_data()
{
    QTest::addColumn<EPixelFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("pixels"); // empty: too few bytes

    QTest::newRow("Mono8") << EPixelFormat::Mono8 << QByteArray("\x00\x7f\xff", 3)
                           << QList<int> { 0, 127, 255 };
    QTest::newRow("Mono12") << EPixelFormat::Mono12 << QByteArray("\x34\x02\xff\x0f", 4)
                            << QList<int> { 0x234, 0xfff };
    QTest::newRow("Mono16") << EPixelFormat::Mono16 << QByteArray("\xcd\xab", 2) << QList<int> { 0xabcd };
    QTest::newRow("Mono10Packed") << EPixelFormat::Mono10Packed << QByteArray("\xaa\x13\x55", 3)
                                  << QList<int> { 0x2ab, 0x155 };
    QTest::newRow("Mono12Packed, odd count")
        << EPixelFormat::Mono12Packed << QByteArray("\xab\x3c\x12\x45\x06", 5)
        << QList<int> { 0xabc, 0x123, 0x456 };
    QTest::newRow("Mono16 too short")
        << EPixelFormat::Mono16 << QByteArray("\xcd\xab\x01", 3) << QList<int>();
}

void TestStream::unpack()
{
    QFETCH(EPixelFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, pixels);

    std::vector<std::uint16_t> unpacked(pixels.isEmpty() ? 2 : std::size_t(pixels.size()));
    QCOMPARE(UnpackPixels(bytes.constData(), std::size_t(bytes.size()), format, unpacked), !pixels.isEmpty());
    for (qsizetype i = 0; i < pixels.size(); ++i)
        QCOMPARE(int(unpacked[std::size_t(i)]), pixels[i]);
}

void TestStream::firstFrames_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<EPixelFormat>("pixelFormat");
    QTest::addColumn<int>("shift"); // where the fake puts its 8-bit ramp
    QTest::newRow("Mono8") << "Mono8" << EPixelFormat::Mono8 << 0;
    QTest::newRow("Mono16") << "Mono16" << EPixelFormat::Mono16 << 8;
}

void TestStream::firstFrames()
{
    QFETCH(QString, format);
    QFETCH(EPixelFormat, pixelFormat);
    QFETCH(int, shift);

    std::string error;
    const std::unique_ptr<CStreamingCamera> camera = CStreamingCamera::Open(m_fakes.deviceRecord(0), error);
    QVERIFY2(camera, error.c_str());
    // Unit gain and the reference exposure: the fake's ramp is then (x + y + frame) mod 255,
    // in the high byte of a 16-bit pixel.
    QVERIFY(Write(*camera, "PixelFormat", format.toStdString()));
    QVERIFY(Write(*camera, "Width", std::int64_t(64)));
    QVERIFY(Write(*camera, "Height", std::int64_t(48)));
    QVERIFY(Write(*camera, "GainRaw", std::int64_t(0)));
    QVERIFY(Write(*camera, "ExposureTimeAbs", 10000.0));

    SReceived received;
    QVERIFY2(camera->start(received.frameHandler(), received.lossHandler(), error), error.c_str());
    QVERIFY(camera->isStreaming());
    QTRY_VERIFY_WITH_TIMEOUT(received.count() >= 3, 5000);
    camera->stop();
    QVERIFY(!camera->isStreaming());
    const int count = received.count();
    QTest::qWait(200);
    QCOMPARE(received.count(), count); // nothing after stop()

    std::uint64_t previousId = 0;
    for (const auto& frame : received.frames) {
        QCOMPARE(frame->width, 64);
        QCOMPARE(frame->height, 48);
        QCOMPARE(frame->pixelFormat, pixelFormat);
        QCOMPARE(frame->pixels.size(), std::size_t(64 * 48));
        QVERIFY(frame->frameId > previousId || previousId == 0);
        QVERIFY(frame->receivedNs > 0);
        previousId = frame->frameId;
        const int first = frame->pixels[0] >> shift;
        for (const auto& [x, y] : { std::pair(1, 0), std::pair(0, 1), std::pair(63, 47), std::pair(20, 30) })
            QCOMPARE(frame->pixels[std::size_t(y * 64 + x)] >> shift, (first + x + y) % 255);
    }
    const SStreamStatistics statistics = camera->statistics();
    QVERIFY(statistics.completedFrames >= std::uint64_t(count));
    QCOMPARE(statistics.failedFrames, std::uint64_t(0));
    QCOMPARE(received.losses.load(), 0);
}

void TestStream::refusesOtherPixelFormats()
{
    std::string error;
    const std::unique_ptr<CStreamingCamera> camera = CStreamingCamera::Open(m_fakes.deviceRecord(0), error);
    QVERIFY2(camera, error.c_str());
    QVERIFY(Write(*camera, "PixelFormat", std::string("RGB8")));
    SReceived received;
    QVERIFY(!camera->start(received.frameHandler(), received.lossHandler(), error));
    QVERIFY2(QString::fromStdString(error).contains("\u201cRGB8\u201d"), error.c_str());
    QVERIFY(!camera->isStreaming());
    QVERIFY(Write(*camera, "PixelFormat", std::string("Mono8")));
}

void TestStream::openFailsOnceTheCameraStopped()
{
    QVERIFY(m_fakes.stop(2));
    QElapsedTimer timer;
    timer.start();
    std::string error;
    QVERIFY(!CStreamingCamera::Open(m_fakes.deviceRecord(2), error));
    QVERIFY2(QString::fromStdString(error).contains(m_fakes.addresses().at(2)), error.c_str());
    QVERIFY(timer.elapsed() < 3000);
}

void TestStream::lossWhileStreamingIsReportedOnce_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<int>("frameTimeoutMs");
    QTest::addColumn<int>("withinMs");
    QTest::addColumn<QString>("reason");

    QTest::newRow("no images") << 1 << 1500 << 6000 << "sent no image for 1.5 s";
    // Aravis's heartbeat notices first when frames may take long.
    QTest::newRow("control lost") << 3 << 60000 << 12000 << "stopped answering";
}

void TestStream::lossWhileStreamingIsReportedOnce()
{
    QFETCH(int, camera);
    QFETCH(int, frameTimeoutMs);
    QFETCH(int, withinMs);
    QFETCH(QString, reason);

    std::string error;
    CStreamingCamera::SOptions options;
    options.frameTimeoutMs = frameTimeoutMs;
    std::unique_ptr<CStreamingCamera> streaming
        = CStreamingCamera::Open(m_fakes.deviceRecord(camera), error, options);
    QVERIFY2(streaming, error.c_str());
    QVERIFY(Write(*streaming, "Width", std::int64_t(64)));
    QVERIFY(Write(*streaming, "Height", std::int64_t(48)));
    SReceived received;
    QVERIFY2(streaming->start(received.frameHandler(), received.lossHandler(), error), error.c_str());
    QTRY_VERIFY_WITH_TIMEOUT(received.count() >= 1, 5000);

    QVERIFY(m_fakes.stop(camera));
    QElapsedTimer timer;
    timer.start();
    QTRY_COMPARE_WITH_TIMEOUT(received.losses.load(), 1, withinMs);
    qInfo("loss reported after %lld ms: %s", timer.elapsed(), received.reason.c_str());
    QVERIFY2(QString::fromStdString(received.reason).contains(reason), received.reason.c_str());
    QVERIFY(!streaming->isStreaming());
    QTest::qWait(500);
    QCOMPARE(received.losses.load(), 1);
    QVERIFY(!streaming->start(received.frameHandler(), received.lossHandler(), error));

    timer.restart();
    streaming.reset();
    qInfo("releasing the lost camera took %lld ms", timer.elapsed());
    QVERIFY(timer.elapsed() < 7000);
    QCOMPARE(received.losses.load(), 1);
}

QTEST_GUILESS_MAIN(TestStream)
#include "tst_stream.moc"
