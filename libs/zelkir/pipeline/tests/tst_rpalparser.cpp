// Palette files: the committed ones in both forms, and bytes cut short or garbled, which
// must be refused with a reason and never read out of bounds.
#include <zelkir/pipeline/paletteloader.h>
#include <zelkir/pipeline/rpalparser.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <random>

using namespace zelkir;

Q_DECLARE_METATYPE(zelkir::RpalParser::Error)

namespace {

QByteArray readFile(const QString& name)
{
    QFile file(QStringLiteral(PALETTE_DIR "/%1.rpal").arg(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<Palette> parse(const QByteArray& bytes, RpalParser::Error* error = nullptr)
{
    return RpalParser::parse(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()), error);
}

void putU32(QByteArray& bytes, int offset, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

// Offsets into Fusion's extension, from the layout of the format.
constexpr int VersionByte = 768;
constexpr int PointCount = 769;
constexpr int FirstPointLevel = 773;
constexpr int Marker = FirstPointLevel + 12 * 7;
constexpr int ShortVersion = Marker + 8;
constexpr int NamedCount = ShortVersion + 2;
constexpr int FirstNamedRecord = NamedCount + 4;

} // namespace

class TestRpalParser : public QObject
{
    Q_OBJECT

private slots:
    void committedFiles_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList files
            = QDir(QStringLiteral(PALETTE_DIR)).entryList({ "*.rpal" }, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 11);
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << QFileInfo(file).completeBaseName();
    }

    void committedFiles()
    {
        QFETCH(QString, name);
        const QByteArray bytes = readFile(name);
        RpalParser::Error error = RpalParser::Error::TooShort;
        const auto palette = parse(bytes, &error);
        QVERIFY(palette);
        QCOMPARE(error, RpalParser::Error::None);
        QCOMPARE(palette->isExtended(), bytes.size() > 768);
        for (int level = 0; level < 256; ++level) {
            const std::uint32_t expected
                = argb(quint8(bytes[3 * level]), quint8(bytes[3 * level + 1]), quint8(bytes[3 * level + 2]));
            QCOMPARE(palette->colour(level), expected);
        }
    }

    void fusionExtension()
    {
        const auto palette = parse(readFile("Fusion"));
        QVERIFY(palette);
        QVERIFY(palette->isExtended());
        QCOMPARE(palette->title(), std::string("Fusion"));
        QCOMPARE(palette->controlPoints().size(), std::size_t(12));
        QCOMPARE(palette->controlPoints().front().level, 0);
        QCOMPARE(palette->controlPoints().back().level, 255);
        QCOMPARE(palette->controlPoints().back().colour, argb(252, 252, 252));
        QCOMPARE(palette->namedColours().size(), std::size_t(13));
        QCOMPARE(palette->namedColours().front().name, std::string("segmentationAbove"));
        QCOMPARE(palette->namedColour("clipOverflow"), std::optional<std::uint32_t>(argb(128, 0, 0)));
        QCOMPARE(palette->namedColour("nonexistent"), std::nullopt);
        QCOMPARE(palette->colourLists().size(), std::size_t(1));
        QCOMPARE(palette->colourLists().front().name, std::string("roi"));
        QCOMPARE(palette->colourLists().front().colours.size(), std::size_t(16));
        QCOMPARE(palette->colourLists().front().colours.front(), argb(255, 0, 0));
        // The saturation colours come from the file.
        QCOMPARE(palette->underflowColour(), argb(50, 50, 50));
        QCOMPARE(palette->overflowColour(), argb(15, 0, 15));
    }

    void basicReaderOfFusionTable()
    {
        const QByteArray bytes = readFile("Fusion");
        const auto extended = parse(bytes);
        const auto basic = parse(bytes.left(768));
        QVERIFY(extended && basic);
        QVERIFY(!basic->isExtended());
        QVERIFY(basic->colours() == extended->colours());
    }

    void tooShort()
    {
        const QByteArray bytes = readFile("Grayscale");
        for (int size = 0; size < 768; ++size) {
            RpalParser::Error error = RpalParser::Error::None;
            QVERIFY2(!parse(bytes.left(size), &error), qPrintable(QString::number(size)));
            QCOMPARE(error, RpalParser::Error::TooShort);
        }
        RpalParser::Error error = RpalParser::Error::None;
        QVERIFY(!RpalParser::parse(nullptr, 768, &error));
        QCOMPARE(error, RpalParser::Error::TooShort);
    }

    void truncatedExtension()
    {
        const QByteArray bytes = readFile("Fusion");
        for (int size = 769; size < bytes.size(); ++size) {
            RpalParser::Error error = RpalParser::Error::None;
            QVERIFY2(!parse(bytes.left(size), &error), qPrintable(QString::number(size)));
            QVERIFY(error != RpalParser::Error::None);
        }
    }

    void garbled_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<RpalParser::Error>("expected");
        const QByteArray fusion = readFile("Fusion");
        QByteArray bytes;

        bytes = fusion;
        bytes[VersionByte] = 2;
        QTest::newRow("version byte 2") << bytes << RpalParser::Error::UnknownVersion;
        bytes = fusion;
        bytes[ShortVersion] = 2;
        QTest::newRow("16-bit version 2") << bytes << RpalParser::Error::UnknownVersion;
        bytes = fusion;
        bytes[Marker + 3] = 'Y';
        QTest::newRow("marker") << bytes << RpalParser::Error::MissingMarker;
        bytes = fusion;
        putU32(bytes, FirstPointLevel, 256);
        QTest::newRow("control point level 256") << bytes << RpalParser::Error::BadControlPoint;
        bytes = fusion;
        putU32(bytes, PointCount, 0xFFFFFFFFu);
        QTest::newRow("huge point count") << bytes << RpalParser::Error::Truncated;
        bytes = fusion;
        putU32(bytes, NamedCount, 0x7FFFFFFFu);
        QTest::newRow("huge named count") << bytes << RpalParser::Error::Truncated;
        bytes = fusion;
        putU32(bytes, FirstNamedRecord, 27);
        QTest::newRow("record length one short") << bytes << RpalParser::Error::BadRecord;
        bytes = fusion;
        putU32(bytes, FirstNamedRecord, 29);
        QTest::newRow("record length one long") << bytes << RpalParser::Error::BadRecord;
        bytes = fusion;
        putU32(bytes, FirstNamedRecord, 0);
        QTest::newRow("record length zero") << bytes << RpalParser::Error::BadRecord;
        bytes = fusion;
        putU32(bytes, FirstNamedRecord, 0xFFFFFFFFu);
        QTest::newRow("record length huge") << bytes << RpalParser::Error::BadRecord;
        bytes = fusion;
        putU32(bytes, FirstNamedRecord + 4, 0xFFFFFFF0u);
        QTest::newRow("name length huge") << bytes << RpalParser::Error::Truncated;
        bytes = fusion + QByteArray(1, '\0');
        QTest::newRow("trailing byte") << bytes << RpalParser::Error::TrailingBytes;
        bytes = fusion.left(768) + QByteArray(1, '\1');
        QTest::newRow("version byte alone") << bytes << RpalParser::Error::Truncated;
    }

    void garbled()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(RpalParser::Error, expected);
        RpalParser::Error error = RpalParser::Error::None;
        QVERIFY(!parse(bytes, &error));
        QCOMPARE(error, expected);
        QVERIFY(QByteArray(RpalParser::describe(error)).size() > 0);
    }

    void randomDamageNeverCrashes()
    {
        const QByteArray fusion = readFile("Fusion");
        std::mt19937 random(42);
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = fusion;
            const int flips = 1 + int(random() % 4);
            for (int i = 0; i < flips; ++i)
                bytes[768 + int(random() % (fusion.size() - 768))] = char(random());
            if (random() % 3 == 0)
                bytes.truncate(768 + int(random() % (fusion.size() - 768)));
            RpalParser::Error error = RpalParser::Error::TooShort;
            const auto palette = parse(bytes, &error);
            QCOMPARE(bool(palette), error == RpalParser::Error::None);
        }
    }

    void loadFile()
    {
        const auto palette = PaletteLoader::loadFile(QStringLiteral(PALETTE_DIR "/Ironbow.rpal"));
        QVERIFY(palette);
        QCOMPARE(palette->colours(), parse(readFile("Ironbow"))->colours());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open palette .*NoSuchPalette"));
        QVERIFY(!PaletteLoader::loadFile(QStringLiteral(PALETTE_DIR "/NoSuchPalette.rpal")));
    }

    void loadDirectorySkipsBadFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(PALETTE_DIR "/Sepia.rpal"), dir.filePath("Sepia.rpal")));
        QVERIFY(QFile::copy(QStringLiteral(PALETTE_DIR "/Blue.rpal"), dir.filePath("Blue.rpal")));
        QFile shortFile(dir.filePath("Short.rpal"));
        QVERIFY(shortFile.open(QIODevice::WriteOnly));
        shortFile.write(QByteArray(100, 'x'));
        shortFile.close();
        QFile hugeFile(dir.filePath("Huge.rpal"));
        QVERIFY(hugeFile.open(QIODevice::WriteOnly));
        hugeFile.write(QByteArray((1 << 20) + 1, '\0'));
        hugeFile.close();
        QFile other(dir.filePath("notes.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(readFile("Grayscale"));
        other.close();

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("palette file too large: .*Huge.rpal"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("invalid palette .*Short.rpal.* shorter than"));
        const auto palettes = PaletteLoader::loadDirectory(dir.path());
        QCOMPARE(palettes.size(), std::size_t(2));
        QCOMPARE(palettes[0].name, QStringLiteral("Blue"));
        QCOMPARE(palettes[1].name, QStringLiteral("Sepia"));
    }

    void loadCommittedDirectory()
    {
        const auto palettes = PaletteLoader::loadDirectory(QStringLiteral(PALETTE_DIR));
        QCOMPARE(palettes.size(), std::size_t(11));
        QCOMPARE(palettes.front().name, QStringLiteral("1234"));
        QVERIFY(std::any_of(palettes.begin(), palettes.end(),
            [](const auto& named) { return named.name == QStringLiteral("Grayscale"); }));
    }
};

QTEST_GUILESS_MAIN(TestRpalParser)
#include "tst_rpalparser.moc"
