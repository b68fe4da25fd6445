#include <zelkir/io/calibration.h>
#include <zelkir/io/framesourcefactory.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace zelkir;

namespace {

constexpr int Width = 64;
constexpr int Height = 48;
constexpr int Frames = 12;
constexpr int MaxCount = 16383;

double medianCelsius(const Frame& frame, const Calibration& calibration)
{
    std::vector<double> values;
    for (quint16 count : frame.counts)
        values.push_back(calibration.convert(frame.scale.toPhysical(count), Unit::TemperatureFactory,
            TemperatureScale::Celsius, frame.preset));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}

/// The position of the highest count that is not a defective pixel's.
int hottestPixel(const Frame& frame)
{
    int best = -1;
    for (std::size_t i = 0; i < frame.counts.size(); ++i) {
        if (frame.counts[i] == 0 || frame.counts[i] == MaxCount)
            continue;
        if (best < 0 || frame.counts[i] > frame.counts[std::size_t(best)])
            best = int(i);
    }
    return best;
}

} // namespace

class TestSampleGenerator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writesARadiometricMovie();
    void sameSeedSameFile();
    void sequencingSample_data();
    void sequencingSample();
    void refusesBadOptions_data();
    void refusesBadOptions();

private:
    QString generate(const QString& name, QStringList arguments, int* exitCode = nullptr);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSampleGenerator::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSampleGenerator::cleanup()
{
    m_dir.reset();
}

QString TestSampleGenerator::generate(const QString& name, QStringList arguments, int* exitCode)
{
    const QString path = m_dir->filePath(name);
    arguments << path;
    QProcess process;
    process.start(QStringLiteral(ZELKIR_MAKE_SAMPLE), arguments);
    if (!process.waitForFinished(60000))
        qWarning("the generator did not finish");
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    else if (process.exitCode() != 0)
        qWarning("generator failed: %s", process.readAllStandardError().constData());
    return path;
}

void TestSampleGenerator::writesARadiometricMovie()
{
    const QString path = generate(QStringLiteral("office.fits"),
        { "--width", QString::number(Width), "--height", QString::number(Height), "--frames",
            QString::number(Frames) });
    QString error;
    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->width(), Width);
    QCOMPARE(source->height(), Height);
    QCOMPARE(source->frameCount(), Frames);
    QCOMPARE(int(source->countRange().maximum), MaxCount);
    QCOMPARE(source->countRange().bitDepth(), 14);
    QCOMPARE(source->info().frameRate, 30.0);
    QVERIFY(!source->presetInfo().sequencing);
    for (const char* name : { "DATE-OBS", "INSTRUME", "DETECTOR", "RADGAIN", "PLANCK_B" })
        QVERIFY2(findKeyword(source->fileKeywords(), QLatin1String(name)), name);

    double previous = -1.0;
    for (int f = 0; f < Frames; ++f) {
        const double time = source->frameTime(f);
        QVERIFY(std::abs(time - f / 30.0) < 1e-4);
        QVERIFY(time > previous);
        previous = time;
    }

    const Calibration calibration(source->calibration());
    QVERIFY(calibration.isAvailable(Unit::TemperatureFactory));
    QVERIFY(calibration.isAvailable(Unit::TemperatureUser));
    Frame first;
    Frame last;
    QVERIFY(source->readFrame(0, first, &error));
    QVERIFY(source->readFrame(Frames - 1, last, &error));
    // An office: most of the picture is at room temperature.
    const double room = medianCelsius(first, calibration);
    QVERIFY2(room > 16.0 && room < 26.0, qPrintable(QString::number(room)));
    // Dead and hot pixels are there.
    QVERIFY(std::count(first.counts.begin(), first.counts.end(), quint16(0)) > 0);
    QVERIFY(std::count(first.counts.begin(), first.counts.end(), quint16(MaxCount)) > 0);
    // The hot spot is far hotter than the room, and it moves.
    const int hotFirst = hottestPixel(first);
    const double hot = calibration.convert(first.scale.toPhysical(first.counts[std::size_t(hotFirst)]),
        Unit::TemperatureFactory, TemperatureScale::Celsius);
    QVERIFY2(hot > 60.0, qPrintable(QString::number(hot)));
    QVERIFY(hottestPixel(last) != hotFirst);
}

void TestSampleGenerator::sameSeedSameFile()
{
    const QStringList options { "-W", "32", "-H", "24", "-n", "3", "--seed", "7" };
    QFile a(generate(QStringLiteral("a.fits"), options));
    QFile b(generate(QStringLiteral("b.fits"), options));
    QFile c(generate(QStringLiteral("c.fits"), { "-W", "32", "-H", "24", "-n", "3", "--seed", "8" }));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && c.open(QIODevice::ReadOnly));
    const QByteArray bytesA = a.readAll();
    QVERIFY(!bytesA.isEmpty());
    QCOMPARE(b.readAll(), bytesA);
    QVERIFY(c.readAll() != bytesA);
}

void TestSampleGenerator::sequencingSample_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("superframing");
    QTest::newRow("sequencing") << "--sequencing" << false;
    QTest::newRow("superframing") << "--superframe" << true;
}

void TestSampleGenerator::sequencingSample()
{
    QFETCH(QString, option);
    QFETCH(bool, superframing);
    const QString path
        = generate(QStringLiteral("presets.fits"), { "-W", "48", "-H", "32", "-n", "8", option });
    QString error;
    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    QVERIFY(source->presetInfo().sequencing);
    QCOMPARE(source->presetInfo().superframing, superframing);
    QCOMPARE(int(source->presetInfo().availablePresets), 0x0F);
    for (int f = 0; f < 8; ++f)
        QCOMPARE(source->framePreset(f), f % 4);
    for (int preset = 0; preset < 4; ++preset)
        QVERIFY(source->calibration().presetRadiance[std::size_t(preset)]);

    // Each preset sees the room with fewer counts, but its own calibration gives the same temperature.
    const Calibration calibration(source->calibration());
    Frame longest;
    Frame shortest;
    QVERIFY(source->readFrame(0, longest, &error));
    QVERIFY(source->readFrame(3, shortest, &error));
    QCOMPARE(shortest.preset, 3);
    const auto middle = std::size_t(longest.counts.size() / 2);
    QVERIFY(shortest.counts[middle] < longest.counts[middle]);
    QVERIFY(std::abs(medianCelsius(longest, calibration) - medianCelsius(shortest, calibration)) < 2.0);
}

void TestSampleGenerator::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("narrow") << QStringList { "-W", "5" };
    QTest::newRow("tall") << QStringList { "-H", "100000" };
    QTest::newRow("no frames") << QStringList { "-n", "0" };
    QTest::newRow("rate text") << QStringList { "-r", "fast" };
    QTest::newRow("negative rate") << QStringList { "-r", "-30" };
    QTest::newRow("seed text") << QStringList { "--seed", "lucky" };
}

void TestSampleGenerator::refusesBadOptions()
{
    QFETCH(QStringList, options);
    int exitCode = 0;
    const QString path = generate(QStringLiteral("refused.fits"), options, &exitCode);
    QVERIFY(exitCode != 0);
    QVERIFY(!QFile::exists(path));
}

QTEST_GUILESS_MAIN(TestSampleGenerator)
#include "tst_samplegenerator.moc"
