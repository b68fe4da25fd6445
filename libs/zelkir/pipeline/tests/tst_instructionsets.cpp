// The AVX2 and the baseline build of the pixel loops agree: this test renders a scene in
// every mode, runs itself again with the baseline forced, and compares the two images.
#include "testimage.h"

#include <zelkir/pipeline/displaypipeline.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <cstring>

using namespace zelkir;

namespace {

// A scene with areas, edges, a ramp, texture, noise and stuck pixels, in a size that is
// not a whole number of vectors or filter cells.
TestImage scene()
{
    std::uint32_t random = 12345;
    return TestImage(203, 157, [&](int x, int y) {
        random = random * 1664525u + 1013904223u;
        const int noise = int(random >> 28) - 8;
        int count = 3000 + 8 * x + (x > 120 ? 2500 : 0) + ((x / 6 + y / 6) % 2) * 60 + noise;
        if ((x * 7 + y * 13) % 997 == 0)
            count = (x + y) % 2 ? 0 : 16383;
        return count;
    });
}

QByteArray renderAll()
{
    const TestImage image = scene();
    QByteArray result;
    for (const ScaleMode mode : { ScaleMode::Linear, ScaleMode::Plateau, ScaleMode::Dde }) {
        for (const int sharpness : { 1, 7 }) {
            for (const bool saturation : { false, true }) {
                EnhancementSettings settings;
                settings.mode = mode;
                settings.ddeSharpness = sharpness;
                settings.showSaturationColors = saturation;
                DisplayPipeline pipeline;
                pipeline.setSettings(settings);
                TestOutput out(image.width, image.height);
                pipeline.render(image.frame(), { 0, 16383 }, out.image());
                result.append(reinterpret_cast<const char*>(out.pixels.data()), int(out.pixels.size() * 4));
            }
        }
    }
    return result;
}

} // namespace

class TestInstructionSets : public QObject
{
    Q_OBJECT

private slots:
    void baselineAgreesWithAvx2()
    {
        if (QByteArray(DisplayPipeline::instructionSet()) != "avx2")
            QSKIP("this machine runs the baseline only");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("baseline.raw");
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ZELKIR_PIPELINE_ISA", "sse2");
        environment.insert("ZELKIR_TEST_DUMP", path);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray baseline = file.readAll();
        const QByteArray avx2 = renderAll();
        QCOMPARE(baseline.size(), avx2.size());

        // Float rounding may differ (the AVX2 build fuses multiply and add): a level apart
        // at most, for a handful of pixels.
        const auto* a = reinterpret_cast<const std::uint32_t*>(avx2.constData());
        const auto* b = reinterpret_cast<const std::uint32_t*>(baseline.constData());
        const int pixels = avx2.size() / 4;
        int different = 0;
        for (int i = 0; i < pixels; ++i) {
            if (a[i] == b[i])
                continue;
            ++different;
            QVERIFY2(std::abs(int(a[i] & 0xFF) - int(b[i] & 0xFF)) <= 1, qPrintable(QString::number(i)));
        }
        QVERIFY2(
            different * 1000 < pixels, qPrintable(QStringLiteral("%1 of %2").arg(different).arg(pixels)));
    }
};

int main(int argc, char** argv)
{
    // The child run: render with whatever instruction set the environment picks, and leave.
    if (const char* dump = std::getenv("ZELKIR_TEST_DUMP")) {
        QFile file(QString::fromLocal8Bit(dump));
        return file.open(QIODevice::WriteOnly) && file.write(renderAll()) > 0 ? 0 : 1;
    }
    QCoreApplication application(argc, argv);
    TestInstructionSets test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_instructionsets.moc"
