#include "support/tifftestwriter.h"

#include <zelkir/io/framesourcefactory.h>

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using namespace zelkir;

namespace {

constexpr int Width = 13;
constexpr int Height = 7;

quint16 grey16At(int x, int y, int page = 0)
{
    return quint16((x * 977 + y * 3331 + page * 12345) % 65536);
}

quint8 grey8At(int x, int y)
{
    return quint8((x * 19 + y * 36) % 256);
}

QColor colourAt(int x, int y)
{
    return QColor((x * 19) % 256, (y * 36) % 256, ((x + y) * 11) % 256);
}

/// Rec. 601 luma in floating point, as the reader is documented to compute it.
double luma(double red, double green, double blue)
{
    return 0.299 * red + 0.587 * green + 0.114 * blue;
}

QImage greyImage(QImage::Format format)
{
    QImage image(Width, Height, format);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            if (format == QImage::Format_Grayscale16)
                reinterpret_cast<quint16*>(image.scanLine(y))[x] = grey16At(x, y);
            else
                image.scanLine(y)[x] = grey8At(x, y);
        }
    }
    return image;
}

QImage colourImage(QImage::Format format)
{
    QImage image(Width, Height, format);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            image.setPixelColor(x, y, colourAt(x, y));
    }
    return image;
}

} // namespace

class TestQtImageFrameSource : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsImages_data();
    void readsImages();
    void deepColourBecomes16BitLuma();
    void multiPageTiff_data();
    void multiPageTiff();
    void pageOfAnotherSizeFails();
    void textEntriesAreKeywords();
    void stillImageReadsAgain();
    void pngChunkLongerThanTheFileIsRefused();

private:
    QString save(const QImage& image, const QByteArray& format, int quality = -1);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestQtImageFrameSource::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestQtImageFrameSource::cleanup()
{
    m_dir.reset();
}

QString TestQtImageFrameSource::save(const QImage& image, const QByteArray& format, int quality)
{
    const QString path = m_dir->filePath(QStringLiteral("image.") + QString::fromLatin1(format));
    QImageWriter writer(path, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        qWarning("cannot write %s: %s", format.constData(), qPrintable(writer.errorString()));
    return path;
}

void TestQtImageFrameSource::readsImages_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QString>("formatName");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("tolerance");

    const QImage grey8 = greyImage(QImage::Format_Grayscale8);
    const QImage grey16 = greyImage(QImage::Format_Grayscale16);
    const QImage colour = colourImage(QImage::Format_RGB888);
    QTest::newRow("PNG grey 8") << QByteArray("png") << grey8 << "PNG" << 255 << 0;
    QTest::newRow("PNG grey 16") << QByteArray("png") << grey16 << "PNG" << 65535 << 0;
    QTest::newRow("PNG colour") << QByteArray("png") << colour << "PNG" << 255 << 0;
    QTest::newRow("BMP grey 8") << QByteArray("bmp") << grey8 << "BMP" << 255 << 0;
    QTest::newRow("BMP colour") << QByteArray("bmp") << colour << "BMP" << 255 << 0;
    QTest::newRow("TIFF grey 8") << QByteArray("tiff") << grey8 << "TIFF" << 255 << 0;
    QTest::newRow("TIFF grey 16") << QByteArray("tiff") << grey16 << "TIFF" << 65535 << 0;
    QTest::newRow("TIFF colour") << QByteArray("tiff") << colour << "TIFF" << 255 << 0;
    // JPEG is lossy even at full quality; grey loses less than subsampled colour.
    QTest::newRow("JPEG grey") << QByteArray("jpeg") << grey8 << "JPEG" << 255 << 4;
    QTest::newRow("JPEG colour") << QByteArray("jpeg") << colour << "JPEG" << 255 << 12;
}

void TestQtImageFrameSource::readsImages()
{
    QFETCH(QByteArray, format);
    QFETCH(QImage, image);
    QFETCH(QString, formatName);
    QFETCH(int, maximum);
    QFETCH(int, tolerance);

    QString error;
    const auto source = FrameSourceFactory::open(save(image, format, 100), &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->info().format, formatName);
    QCOMPARE(source->width(), Width);
    QCOMPARE(source->height(), Height);
    QCOMPARE(source->frameCount(), 1);
    QCOMPARE(int(source->countRange().maximum), maximum);
    Frame frame;
    QVERIFY2(source->readFrame(0, frame, &error), qPrintable(error));
    QCOMPARE(frame.scale, CountScale {});
    int worst = 0;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            double expected = 0;
            if (image.format() == QImage::Format_Grayscale16)
                expected = grey16At(x, y);
            else if (image.format() == QImage::Format_Grayscale8)
                expected = grey8At(x, y);
            else
                expected = luma(colourAt(x, y).red(), colourAt(x, y).green(), colourAt(x, y).blue());
            // Exact data may differ from the floating-point luma by the final rounding only.
            const int slack = image.isGrayscale() ? tolerance : std::max(tolerance, 1);
            const int difference = int(std::ceil(std::abs(frame.at(x, y) - expected) - 0.5));
            worst = std::max(worst, difference);
            if (difference > slack)
                QFAIL(qPrintable(QStringLiteral("(%1, %2): %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(frame.at(x, y))
                                     .arg(expected)));
        }
    }
    if (tolerance == 0)
        QCOMPARE(worst, 0);
}

void TestQtImageFrameSource::deepColourBecomes16BitLuma()
{
    QImage image(3, 1, QImage::Format_RGBX64);
    image.setPixelColor(0, 0, QColor::fromRgba64(65535, 0, 0));
    image.setPixelColor(1, 0, QColor::fromRgba64(1000, 40000, 20000));
    image.setPixelColor(2, 0, QColor::fromRgba64(65535, 65535, 65535));
    QString error;
    const auto source = FrameSourceFactory::open(save(image, "png"), &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(int(source->countRange().maximum), 65535);
    Frame frame;
    QVERIFY(source->readFrame(0, frame, &error));
    QVERIFY(std::abs(frame.at(0, 0) - luma(65535, 0, 0)) <= 1.0);
    QVERIFY(std::abs(frame.at(1, 0) - luma(1000, 40000, 20000)) <= 1.0);
    QCOMPARE(int(frame.at(2, 0)), 65535);
}

void TestQtImageFrameSource::multiPageTiff_data()
{
    QTest::addColumn<int>("bits");
    QTest::newRow("8-bit") << 8;
    QTest::newRow("16-bit") << 16;
}

void TestQtImageFrameSource::multiPageTiff()
{
    QFETCH(int, bits);
    QList<TiffTestPage> pages;
    for (int page = 0; page < 4; ++page) {
        TiffTestPage p { Width, Height, bits, {} };
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x)
                p.values.push_back(quint16(grey16At(x, y, page) >> (16 - bits)));
        }
        pages.append(p);
    }
    const QString path = m_dir->filePath(QStringLiteral("movie.tif"));
    QString error;
    QVERIFY2(writeTiffTestFile(path, pages, &error), qPrintable(error));
    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->frameCount(), 4);
    Frame frame;
    for (int page : { 3, 1, 2, 0, 3 }) {
        QVERIFY2(source->readFrame(page, frame, &error), qPrintable(error));
        QCOMPARE(frame.index, page);
        QCOMPARE(frame.counts, pages.at(page).values);
    }
}

void TestQtImageFrameSource::pageOfAnotherSizeFails()
{
    QList<TiffTestPage> pages;
    pages.append(TiffTestPage { 4, 2, 16, std::vector<quint16>(8, 100) });
    pages.append(TiffTestPage { 2, 2, 16, std::vector<quint16>(4, 200) });
    pages.append(TiffTestPage { 4, 2, 16, std::vector<quint16>(8, 300) });
    const QString path = m_dir->filePath(QStringLiteral("mixed.tif"));
    QString error;
    QVERIFY2(writeTiffTestFile(path, pages, &error), qPrintable(error));
    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    Frame frame;
    error.clear();
    QVERIFY(!source->readFrame(1, frame, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY2(source->readFrame(2, frame, &error), qPrintable(error));
    QCOMPARE(int(frame.at(3, 1)), 300);
}

void TestQtImageFrameSource::textEntriesAreKeywords()
{
    QImage image = greyImage(QImage::Format_Grayscale16);
    image.setText(QStringLiteral("Camera"), QStringLiteral("bench unit 7"));
    image.setText(QStringLiteral("RADGAIN"), QStringLiteral("0.02"));
    image.setText(QStringLiteral("PLANCK_R"), QStringLiteral("5685.8"));
    image.setText(QStringLiteral("PLANCK_B"), QStringLiteral("1404"));
    QString error;
    const auto source = FrameSourceFactory::open(save(image, "png"), &error);
    QVERIFY2(source, qPrintable(error));
    const FileKeyword* camera = findKeyword(source->fileKeywords(), QStringLiteral("Camera"));
    QVERIFY(camera);
    QCOMPARE(camera->value, QStringLiteral("bench unit 7"));
    QVERIFY(source->calibration().radiance);
    QCOMPARE(source->calibration().radiance->gain, 0.02);
    QVERIFY(source->calibration().planck);
}

void TestQtImageFrameSource::stillImageReadsAgain()
{
    const auto source = FrameSourceFactory::open(save(greyImage(QImage::Format_Grayscale8), "bmp"), nullptr);
    QVERIFY(source);
    Frame first;
    Frame again;
    QVERIFY(source->readFrame(0, first, nullptr));
    QVERIFY(source->readFrame(0, again, nullptr));
    QCOMPARE(again.counts, first.counts);
    QVERIFY(std::isnan(source->frameTime(0)));
    QCOMPARE(source->framePreset(0), 0);
}

void TestQtImageFrameSource::pngChunkLongerThanTheFileIsRefused()
{
    QImage image = greyImage(QImage::Format_Grayscale8);
    image.setText(QStringLiteral("Note"), QStringLiteral("a text chunk"));
    QFile file(save(image, "png"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const int chunk = bytes.indexOf("tEXt");
    QVERIFY(chunk > 4);
    // libpng would reserve this much before finding the file far shorter.
    bytes.replace(chunk - 4, 4, QByteArray("\x7f\x00\x00\x00", 4));
    QVERIFY(file.seek(0));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
    file.close();
    QString error;
    QVERIFY(!FrameSourceFactory::open(file.fileName(), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestQtImageFrameSource)
#include "tst_qtimageframesource.moc"
