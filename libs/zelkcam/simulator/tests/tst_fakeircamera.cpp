#include <samplecamera.h>

#include <QElapsedTimer>
#include <QList>
#include <QTest>
#include <QtEndian>

#include <arv.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int Width = 64;
constexpr int Height = 48;

struct SFrame
{
    quint64 id = 0;
    ArvPixelFormat format = 0;
    std::vector<quint16> counts;

    quint16 at(int x, int y) const { return counts[std::size_t(y) * Width + std::size_t(x)]; }
};

// The documented ramp: (x + 3y + 7 * frame id) mod 2^bits.
quint16 ramp(int x, int y, quint64 frameId, int bits)
{
    return quint16((quint64(x) + 3 * quint64(y) + 7 * frameId) & ((1u << bits) - 1));
}

} // namespace

class TestFakeIrCamera : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void identifiesItself();
    void describesTheIrFeatures();
    void radianceGainFollowsIntegrationTimeGainAndFormat();
    void sendsTheTestPattern_data();
    void sendsTheTestPattern();
    void replacesListedBadPixels();
    void sendsAVaryingSceneInRange();
    void refusesBadAddresses_data();
    void refusesBadAddresses();
    void resendsLostPackets_data();
    void resendsLostPackets();

private:
    void set(const char* feature, const char* value);
    void set(const char* feature, double value);
    double number(const char* feature);
    /// The first complete frame after starting acquisition.
    SFrame grab();

    QString m_address;
    ArvCamera* m_camera = nullptr;
};

void TestFakeIrCamera::initTestCase()
{
    const QStringList addresses = qEnvironmentVariable("QELT_FAKE_CAMERAS").split(u' ', Qt::SkipEmptyParts);
    QCOMPARE(addresses.size(), 1);
    m_address = addresses.constFirst();
}

void TestFakeIrCamera::init()
{
    GError* error = nullptr;
    // Opening by address finds the camera by a discovery request sent to that address.
    m_camera = arv_camera_new(m_address.toUtf8().constData(), &error);
    QVERIFY2(m_camera, error ? error->message : "no camera");
    set("TestPattern", "Ramp");
    set("PixelFormat", "Mono14");
    set("BadPixelCount", 0.0);
}

void TestFakeIrCamera::cleanup()
{
    g_clear_object(&m_camera);
}

void TestFakeIrCamera::set(const char* feature, const char* value)
{
    GError* error = nullptr;
    arv_camera_set_string(m_camera, feature, value, &error);
    QVERIFY2(!error, error ? error->message : "");
}

void TestFakeIrCamera::set(const char* feature, double value)
{
    GError* error = nullptr;
    ArvGcNode* node = arv_device_get_feature(arv_camera_get_device(m_camera), feature);
    if (ARV_IS_GC_FLOAT(node))
        arv_camera_set_float(m_camera, feature, value, &error);
    else
        arv_camera_set_integer(m_camera, feature, gint64(value), &error);
    QVERIFY2(!error, error ? error->message : "");
}

double TestFakeIrCamera::number(const char* feature)
{
    GError* error = nullptr;
    ArvGcNode* node = arv_device_get_feature(arv_camera_get_device(m_camera), feature);
    const double value = ARV_IS_GC_FLOAT(node) ? arv_camera_get_float(m_camera, feature, &error)
                                               : double(arv_camera_get_integer(m_camera, feature, &error));
    if (error) {
        qWarning("%s: %s", feature, error->message);
        g_clear_error(&error);
        return std::nan("");
    }
    return value;
}

SFrame TestFakeIrCamera::grab()
{
    SFrame frame;
    GError* error = nullptr;
    ArvStream* stream = arv_camera_create_stream(m_camera, nullptr, nullptr, &error);
    if (!stream) {
        qWarning("no stream: %s", error ? error->message : "");
        g_clear_error(&error);
        return frame;
    }
    const guint payload = arv_camera_get_payload(m_camera, nullptr);
    for (int i = 0; i < 3; ++i)
        arv_stream_push_buffer(stream, arv_buffer_new(payload, nullptr));
    arv_camera_start_acquisition(m_camera, nullptr);
    for (int attempt = 0; attempt < 10 && frame.counts.empty(); ++attempt) {
        ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream, 2000000);
        if (!buffer)
            break;
        if (arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS) {
            size_t size = 0;
            const auto* data = static_cast<const uchar*>(arv_buffer_get_data(buffer, &size));
            frame.id = arv_buffer_get_frame_id(buffer);
            frame.format = arv_buffer_get_image_pixel_format(buffer);
            if (size == std::size_t(Width * Height * 2)) {
                frame.counts.resize(std::size_t(Width * Height));
                for (std::size_t i = 0; i < frame.counts.size(); ++i)
                    frame.counts[i] = qFromLittleEndian<quint16>(data + 2 * i);
            }
        }
        arv_stream_push_buffer(stream, buffer);
    }
    arv_camera_stop_acquisition(m_camera, nullptr);
    g_object_unref(stream);
    return frame;
}

void TestFakeIrCamera::identifiesItself()
{
    QCOMPARE(QString::fromUtf8(arv_camera_get_device_serial_number(m_camera, nullptr)),
        qEnvironmentVariable("QELT_FAKE_CAMERA_SERIALS"));
    QCOMPARE(arv_camera_get_vendor_name(m_camera, nullptr), "QELT Systems");
    QCOMPARE(arv_camera_get_model_name(m_camera, nullptr), "Simulated IR camera");
}

void TestFakeIrCamera::describesTheIrFeatures()
{
    QCOMPARE(number("Width"), double(Width));
    QCOMPARE(number("Height"), double(Height));
    QCOMPARE(number("PayloadSize"), double(Width * Height * 2));
    QCOMPARE(number("AcquisitionFrameRate"), 50.0);
    QCOMPARE(number("IntegrationTime"), 5000.0);
    QCOMPARE(number("Gain"), 1.0);
    const double sensor = number("DeviceTemperature");
    QVERIFY2(sensor > 25.0 && sensor < 40.0, qPrintable(QString::number(sensor)));
    const zelkir::CalibrationParameters calibration = SampleCamera::calibration(false);
    QCOMPARE(number("CalibrationRadianceGain"), calibration.radiance->gain);
    QCOMPARE(number("CalibrationRadianceOffset"), calibration.radiance->offset);
    QCOMPARE(number("CalibrationPlanckR"), calibration.planck->r);
    QCOMPARE(number("CalibrationPlanckB"), calibration.planck->b);
    QCOMPARE(number("CalibrationPlanckF"), calibration.planck->f);
    QCOMPARE(number("CalibrationPlanckO"), calibration.planck->o);
    QCOMPARE(number("BadPixelCapacity"), 1024.0);

    GError* error = nullptr;
    double low = 0.0;
    double high = 0.0;
    arv_camera_get_float_bounds(m_camera, "IntegrationTime", &low, &high, &error);
    QVERIFY(!error);
    QVERIFY(low > 0.0 && high > low);
}

void TestFakeIrCamera::radianceGainFollowsIntegrationTimeGainAndFormat()
{
    const double base = number("CalibrationRadianceGain");
    GError* error = nullptr;
    double low = 0.0;
    double high = 0.0;
    set("IntegrationTime", 2500.0);
    QCOMPARE(number("CalibrationRadianceGain"), 2.0 * base);
    arv_camera_get_float_bounds(m_camera, "AcquisitionFrameRate", &low, &high, &error);
    QCOMPARE(high, 400.0);
    set("Gain", 4.0);
    set("PixelFormat", "Mono16");
    QCOMPARE(number("CalibrationRadianceGain"), base / 8.0);
    set("IntegrationTime", 5000.0);
    set("Gain", 1.0);
}

void TestFakeIrCamera::sendsTheTestPattern_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("bits");
    QTest::addColumn<ArvPixelFormat>("code");
    QTest::newRow("Mono14") << "Mono14" << 14 << ArvPixelFormat(ARV_PIXEL_FORMAT_MONO_14);
    QTest::newRow("Mono16") << "Mono16" << 16 << ArvPixelFormat(ARV_PIXEL_FORMAT_MONO_16);
}

void TestFakeIrCamera::sendsTheTestPattern()
{
    QFETCH(QString, format);
    QFETCH(int, bits);
    QFETCH(ArvPixelFormat, code);
    set("PixelFormat", format.toUtf8().constData());
    const SFrame frame = grab();
    QVERIFY(!frame.counts.empty());
    QCOMPARE(frame.format, code);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            if (frame.at(x, y) != ramp(x, y, frame.id, bits))
                QFAIL(qPrintable(QStringLiteral("(%1, %2) of frame %3: %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(frame.id)
                                     .arg(frame.at(x, y))));
        }
    }
}

void TestFakeIrCamera::replacesListedBadPixels()
{
    // A corner, a 2 x 2 cluster and a pixel on the right edge: every one of them differs
    // from the mean of its unlisted neighbours in the ramp.
    const QList<QPoint> bad { { 0, 0 }, { 20, 20 }, { 21, 20 }, { 20, 21 }, { 21, 21 }, { Width - 1, 5 } };
    std::vector<quint8> list(bad.size() * 4);
    for (int i = 0; i < bad.size(); ++i) {
        qToBigEndian(quint16(bad[i].x()), &list[std::size_t(4 * i)]);
        qToBigEndian(quint16(bad[i].y()), &list[std::size_t(4 * i + 2)]);
    }
    GError* error = nullptr;
    ArvGcNode* node = arv_device_get_feature(arv_camera_get_device(m_camera), "BadPixelList");
    QVERIFY(ARV_IS_GC_REGISTER(node));
    arv_gc_register_set(ARV_GC_REGISTER(node), list.data(), list.size(), &error);
    QVERIFY2(!error, error ? error->message : "");
    set("BadPixelCount", double(bad.size()));

    for (int round = 0; round < 2; ++round) {
        const SFrame frame = grab();
        QVERIFY(!frame.counts.empty());
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                const quint16 pattern = ramp(x, y, frame.id, 14);
                if (!bad.contains(QPoint(x, y))) {
                    QCOMPARE(frame.at(x, y), pattern);
                    continue;
                }
                unsigned sum = 0;
                unsigned n = 0;
                for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, Height - 1); ++ny) {
                    for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, Width - 1); ++nx) {
                        if (!bad.contains(QPoint(nx, ny))) {
                            sum += ramp(nx, ny, frame.id, 14);
                            ++n;
                        }
                    }
                }
                const quint16 mean = quint16((sum + n / 2) / n);
                QVERIFY(mean != pattern);
                QCOMPARE(frame.at(x, y), mean);
            }
        }
    }
}

void TestFakeIrCamera::sendsAVaryingSceneInRange()
{
    set("TestPattern", "Off");
    const SFrame first = grab();
    const SFrame second = grab();
    QVERIFY(!first.counts.empty() && !second.counts.empty());
    QVERIFY(first.counts != second.counts);
    for (const SFrame* frame : { &first, &second }) {
        const auto [low, high] = std::minmax_element(frame->counts.begin(), frame->counts.end());
        QVERIFY2(*high <= SampleCamera::MaxCount && *low < *high,
            qPrintable(QStringLiteral("%1-%2").arg(*low).arg(*high)));
        double sum = 0.0;
        for (quint16 count : frame->counts)
            sum += count;
        // An office near room temperature: well inside the 14-bit range.
        const double mean = sum / double(frame->counts.size());
        QVERIFY2(mean > 1500.0 && mean < 12000.0, qPrintable(QString::number(mean)));
    }
}

void TestFakeIrCamera::refusesBadAddresses_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<quint32>("size");
    QTest::newRow("read past the description") << false << 0xffffff00u << 512u;
    QTest::newRow("write the description") << true << 0x10000u << 4u;
    QTest::newRow("write past the registers") << true << 0xfffffffcu << 8u;
}

void TestFakeIrCamera::refusesBadAddresses()
{
    QFETCH(bool, write);
    QFETCH(quint32, address);
    QFETCH(quint32, size);
    std::vector<char> bytes(size);
    GError* error = nullptr;
    ArvDevice* device = arv_camera_get_device(m_camera);
    const gboolean done = write ? arv_device_write_memory(device, address, size, bytes.data(), &error)
                                : arv_device_read_memory(device, address, size, bytes.data(), &error);
    QVERIFY(!done && error);
    g_clear_error(&error);
    QCOMPARE(number("Width"), number("SensorWidth"));
}

void TestFakeIrCamera::resendsLostPackets_data()
{
    QTest::addColumn<bool>("resend");
    QTest::newRow("resend") << true;
    QTest::newRow("no resend") << false;
}

void TestFakeIrCamera::resendsLostPackets()
{
    QFETCH(bool, resend);
    if (qEnvironmentVariableIsEmpty("QELT_FAKE_IR_PACKET_LOSS"))
        QSKIP("needs a camera started with --packet-loss, named in QELT_FAKE_IR_PACKET_LOSS");
    const int width = int(number("Width"));
    const int height = int(number("Height"));
    GError* error = nullptr;
    ArvStream* stream = arv_camera_create_stream(m_camera, nullptr, nullptr, &error);
    QVERIFY2(stream, error ? error->message : "no stream");
    // A busy test machine can hold the camera or this receiver back for longer than
    // Aravis's 100 ms before it gives up on a frame.
    g_object_set(stream, "frame-retention", 1000000u, nullptr);
    // Aravis asks for resends by default, of a camera that says it takes them.
    if (!resend)
        g_object_set(stream, "packet-resend", ARV_GV_STREAM_PACKET_RESEND_NEVER, nullptr);
    const guint payload = arv_camera_get_payload(m_camera, nullptr);
    for (int i = 0; i < 8; ++i)
        arv_stream_push_buffer(stream, arv_buffer_new(payload, nullptr));

    int complete = 0;
    int failed = 0;
    int wrongPixels = 0;
    ArvBufferStatus lastFailure = ARV_BUFFER_STATUS_SUCCESS;
    arv_camera_start_acquisition(m_camera, nullptr);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 2000) {
        ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream, 500000);
        if (!buffer)
            break;
        if (arv_buffer_get_status(buffer) != ARV_BUFFER_STATUS_SUCCESS) {
            ++failed;
            lastFailure = arv_buffer_get_status(buffer);
        } else {
            ++complete;
            // Resent packets must carry the data of the lost ones.
            const auto* data = static_cast<const uchar*>(arv_buffer_get_data(buffer, nullptr));
            const quint64 id = arv_buffer_get_frame_id(buffer);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    wrongPixels
                        += qFromLittleEndian<quint16>(data + 2 * (y * width + x)) != ramp(x, y, id, 14);
            }
        }
        arv_stream_push_buffer(stream, buffer);
    }
    arv_camera_stop_acquisition(m_camera, nullptr);
    guint64 resent = 0;
    arv_gv_stream_get_statistics(ARV_GV_STREAM(stream), &resent, nullptr);
    g_object_unref(stream);

    const QString counts = QStringLiteral("%1 complete, %2 failed (last with status %3), %4 resent")
                               .arg(complete)
                               .arg(failed)
                               .arg(int(lastFailure))
                               .arg(resent);
    QCOMPARE(wrongPixels, 0);
    if (resend) {
        QVERIFY2(complete >= 40 && failed == 0 && resent > 0, qPrintable(counts));
    } else {
        // The loss is real: a frame of a few hundred packets rarely comes through whole.
        QVERIFY2(failed > complete, qPrintable(counts));
    }
}

QTEST_GUILESS_MAIN(TestFakeIrCamera)
#include "tst_fakeircamera.moc"
