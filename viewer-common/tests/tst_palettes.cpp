// The committed palette files: they match the generator, pass through their
// breakpoints, and the extended Fusion file parses field by field.
#include "palettegenerator.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QByteArray readPalette(const QString& name)
{
    QFile file(QStringLiteral(PALETTE_DIR "/%1.rpal").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray rgb(int r, int g, int b)
{
    const char bytes[] = { char(r), char(g), char(b) };
    return QByteArray(bytes, 3);
}

// Reads the little-endian fields of a palette extension.
class Reader
{
public:
    explicit Reader(const QByteArray& bytes, int offset) : m_bytes(bytes), m_offset(offset) {}
    quint32 u32()
    {
        quint32 value = 0;
        for (int i = 0; i < 4; ++i)
            value |= quint32(quint8(m_bytes.at(m_offset + i))) << (8 * i);
        m_offset += 4;
        return value;
    }
    quint16 u16()
    {
        const quint16 value = quint8(m_bytes.at(m_offset)) | quint16(quint8(m_bytes.at(m_offset + 1))) << 8;
        m_offset += 2;
        return value;
    }
    QByteArray take(int count)
    {
        const QByteArray part = m_bytes.mid(m_offset, count);
        m_offset += count;
        return part;
    }
    int offset() const { return m_offset; }

private:
    QByteArray m_bytes;
    int m_offset;
};

} // namespace

class TestPalettes : public QObject
{
    Q_OBJECT

private slots:
    void filesMatchGenerator_data()
    {
        QTest::addColumn<QString>("name");
        for (const std::string& name : palettegen::paletteNames())
            QTest::newRow(name.c_str()) << QString::fromStdString(name);
    }

    void filesMatchGenerator()
    {
        QFETCH(QString, name);
        const std::vector<std::uint8_t> generated = palettegen::fileContents(name.toStdString());
        const QByteArray stored = readPalette(name);
        QCOMPARE(stored, QByteArray(reinterpret_cast<const char*>(generated.data()), int(generated.size())));
        QCOMPARE(stored.size(), name == "Fusion" ? 1239 : 768);
    }

    void elevenPalettesAndNothingElse()
    {
        const QStringList files = QDir(QStringLiteral(PALETTE_DIR)).entryList({ "*.rpal" }, QDir::Files, QDir::Name);
        QCOMPARE(files, (QStringList { "1234.rpal", "BlackHot.rpal", "Blue.rpal", "Fusion.rpal", "Glowbow.rpal",
                                       "Grayscale.rpal", "Green.rpal", "Ironbow.rpal", "Rainbow.rpal", "Red.rpal",
                                       "Sepia.rpal" }));
    }

    void entriesAtLevels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("colour");

        QTest::newRow("1234 start") << "1234" << 0 << rgb(0, 0, 0);
        QTest::newRow("1234 at 98") << "1234" << 98 << rgb(0, 255, 255);
        QTest::newRow("1234 at 156") << "1234" << 156 << rgb(24, 68, 17);
        QTest::newRow("1234 end") << "1234" << 255 << rgb(255, 255, 243);
        QTest::newRow("Blue middle") << "Blue" << 128 << rgb(0, 0, 255);
        QTest::newRow("Blue between") << "Blue" << 64 << rgb(0, 0, 127);
        QTest::newRow("Blue end") << "Blue" << 255 << rgb(253, 253, 255);
        QTest::newRow("Glowbow at 170") << "Glowbow" << 170 << rgb(255, 255, 0);
        QTest::newRow("Ironbow at 153") << "Ironbow" << 153 << rgb(255, 60, 32);
        QTest::newRow("Rainbow start") << "Rainbow" << 0 << rgb(0, 0, 255);
        QTest::newRow("Rainbow end") << "Rainbow" << 255 << rgb(255, 3, 0);
        QTest::newRow("Sepia at 192") << "Sepia" << 192 << rgb(192, 192, 0);
        QTest::newRow("Sepia between") << "Sepia" << 32 << rgb(64, 32, 0);
        QTest::newRow("Fusion at 113") << "Fusion" << 113 << rgb(217, 46, 88);
        QTest::newRow("Fusion end") << "Fusion" << 255 << rgb(252, 252, 252);
        QTest::newRow("Grayscale") << "Grayscale" << 77 << rgb(77, 77, 77);
        QTest::newRow("BlackHot start") << "BlackHot" << 0 << rgb(254, 254, 254);
        QTest::newRow("BlackHot 254") << "BlackHot" << 254 << rgb(0, 0, 0);
        QTest::newRow("BlackHot 255") << "BlackHot" << 255 << rgb(0, 0, 0);
        QTest::newRow("Red 0") << "Red" << 0 << rgb(0, 0, 0);
        QTest::newRow("Red 1") << "Red" << 1 << rgb(0, 0, 0);
        QTest::newRow("Red 255") << "Red" << 255 << rgb(254, 0, 0);
        QTest::newRow("Green 1") << "Green" << 1 << rgb(0, 0, 0);
        QTest::newRow("Green 2") << "Green" << 2 << rgb(0, 1, 0);
    }

    void entriesAtLevels()
    {
        QFETCH(QString, name);
        QFETCH(int, level);
        QFETCH(QByteArray, colour);
        QCOMPARE(readPalette(name).mid(level * 3, 3), colour);
    }

    void rampsNeverJumpBetweenBreakpoints_data() { filesMatchGenerator_data(); }

    void rampsNeverJumpBetweenBreakpoints()
    {
        QFETCH(QString, name);
        const QByteArray table = readPalette(name).left(768);
        // Neighbouring entries of a piecewise-linear ramp differ by at most the steepest slope.
        int largestStep = 0;
        for (int i = 3; i < 768; ++i)
            largestStep = qMax(largestStep, qAbs(int(quint8(table[i])) - int(quint8(table[i - 3]))));
        QVERIFY2(largestStep <= 22, qPrintable(QString("step of %1").arg(largestStep)));
    }

    void fusionExtensionParses()
    {
        const QByteArray file = readPalette("Fusion");
        QCOMPARE(file.size() - 768, 471);
        Reader in(file, 768);
        QCOMPARE(quint8(in.take(1).at(0)), quint8(1));
        QCOMPARE(in.u32(), 12u);
        const int levels[] = { 0, 16, 34, 80, 97, 113, 128, 193, 208, 224, 240, 255 };
        for (int level : levels) {
            QCOMPARE(in.u32(), quint32(level));
            QCOMPARE(in.take(3), file.mid(level * 3, 3));
        }
        QCOMPARE(in.take(8), QByteArray("_XMRPAL_"));
        QCOMPARE(in.u16(), quint16(1));

        QCOMPARE(in.u32(), 13u);
        QStringList names;
        for (int i = 0; i < 13; ++i) {
            const int start = in.offset();
            const quint32 length = in.u32();
            names.append(QString::fromLatin1(in.take(int(in.u32()))));
            in.take(3);
            QCOMPARE(quint32(in.offset() - start), length);
        }
        QCOMPARE(names, (QStringList { "segmentationAbove", "segmentationBelow", "clipOverflow", "clipUnderflow",
                                       "clipWarning", "imageROI", "isotherm1", "isotherm2", "analysis", "below",
                                       "above", "underflow", "overflow" }));

        QCOMPARE(in.u32(), 1u);
        const int listStart = in.offset();
        const quint32 listLength = in.u32();
        QCOMPARE(in.take(int(in.u32())), QByteArray("roi"));
        QCOMPARE(in.u32(), 16u);
        QCOMPARE(in.take(3), rgb(255, 0, 0));
        in.take(14 * 3);
        QCOMPARE(in.take(3), rgb(255, 0, 255));
        QCOMPARE(quint32(in.offset() - listStart), listLength);

        QCOMPARE(in.u32(), 1u);
        in.u32();
        QCOMPARE(in.take(int(in.u32())), QByteArray("title"));
        QCOMPARE(in.take(int(in.u32())), QByteArray("Fusion"));
        QCOMPARE(in.offset(), file.size());
    }
};

QTEST_GUILESS_MAIN(TestPalettes)
#include "tst_palettes.moc"
