// The resource tree compiled into a viewer program: every shared asset present, stored as
// intended, and the same bytes as the files in the repository.
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QResource>
#include <QTest>

namespace {

const QString Program = QStringLiteral(VIEWER_PROGRAM);
const bool IsFilePlayer = Program == QLatin1String("Reelvo");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestViewerResources : public QObject
{
    Q_OBJECT

private slots:
    void mainDocumentIsCompressed()
    {
        const QString path = QStringLiteral(":/" VIEWER_DOCUMENT);
        QVERIFY(QFile::exists(path));
        QCOMPARE(QResource(path).compressionAlgorithm(), QResource::ZlibCompression);
        QVERIFY(readAll(path).contains("ApplicationWindow"));
        // Only the program's own document is in its tree.
        const QString other = IsFilePlayer ? QStringLiteral(":/Livano.qml") : QStringLiteral(":/Reelvo.qml");
        QVERIFY(!QFile::exists(other));
    }

    void sharedFilesAreStoredPlain_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("configuration") << QStringLiteral(":/qtquickcontrols2.conf");
        QTest::newRow("TopBarButton") << QStringLiteral(":/controls/TopBarButton.qml");
        QTest::newRow("PlayBarButton") << QStringLiteral(":/controls/PlayBarButton.qml");
        QTest::newRow("Text") << QStringLiteral(":/controls/Text.qml");
        QTest::newRow("window element") << QStringLiteral(":/viewer/SpotMeter.qml");
        QTest::newRow("Font Awesome") << QStringLiteral(":/fonts/fontawesome-webfont.ttf");
        QTest::newRow("icon") << QStringLiteral(":/icon/QELT_512x512.png");
        QTest::newRow("palette") << QStringLiteral(":/palettes/Grayscale.rpal");
    }

    void sharedFilesAreStoredPlain()
    {
        QFETCH(QString, path);
        QVERIFY(QFile::exists(path));
        QCOMPARE(QResource(path).compressionAlgorithm(), QResource::NoCompression);
    }

    void configurationIsTheSharedFile()
    {
        const QByteArray conf = readAll(QStringLiteral(":/qtquickcontrols2.conf"));
        QVERIFY(conf.contains("[Controls]"));
        QCOMPARE(conf, readAll(QStringLiteral(PALETTE_DIR "/../qtquickcontrols2.conf")));
    }

    void textControlImports()
    {
        const QByteArray text = readAll(QStringLiteral(":/controls/Text.qml"));
        const QByteArray shared = readAll(QStringLiteral(PALETTE_DIR "/../controls/Text.qml"));
        const QByteArray controlsImport = QByteArrayLiteral("import QtQuick.Controls 2.2\n");
        QVERIFY(shared.contains(controlsImport));
        QVERIFY(text.startsWith("import QtQuick 2.9\n"));
        // The camera player's copy lacks the Controls import and differs in nothing else.
        QCOMPARE(text, IsFilePlayer ? shared : QByteArray(shared).replace(controlsImport, QByteArray()));
    }

    void fonts()
    {
        QStringList expected { QStringLiteral("fontawesome-webfont.ttf") };
        if (!IsFilePlayer)
            expected.prepend(QStringLiteral("MaterialIcons-Regular.ttf"));
        QCOMPARE(QDir(QStringLiteral(":/fonts")).entryList(QDir::Files, QDir::Name), expected);

        const int awesome
            = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/fontawesome-webfont.ttf"));
        QCOMPARE(
            QFontDatabase::applicationFontFamilies(awesome), QStringList { QStringLiteral("FontAwesome") });
        if (!IsFilePlayer) {
            const int material
                = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
            QCOMPARE(QFontDatabase::applicationFontFamilies(material),
                QStringList { QStringLiteral("Material Icons") });
        }
    }

    void icons_data()
    {
        QTest::addColumn<int>("size");
        for (int size : { 16, 24, 32, 48, 64, 128, 256, 512 })
            QTest::addRow("%d", size) << size;
    }

    void icons()
    {
        QFETCH(int, size);
        const QImage icon(QStringLiteral(":/icon/QELT_%1x%1.png").arg(size));
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(icon.hasAlphaChannel());
    }

    void palettesAreTheCommittedFiles()
    {
        const QStringList names = QDir(QStringLiteral(":/palettes")).entryList(QDir::Files, QDir::Name);
        QCOMPARE(names,
            QStringList({ "1234.rpal", "BlackHot.rpal", "Blue.rpal", "Fusion.rpal", "Glowbow.rpal",
                "Grayscale.rpal", "Green.rpal", "Ironbow.rpal", "Rainbow.rpal", "Red.rpal", "Sepia.rpal" }));
        for (const QString& name : names) {
            const QByteArray stored = readAll(QStringLiteral(":/palettes/") + name);
            QCOMPARE(stored.size(), name == QLatin1String("Fusion.rpal") ? 1239 : 768);
            QCOMPARE(stored, readAll(QStringLiteral(PALETTE_DIR "/") + name));
        }
    }
};

QTEST_MAIN(TestViewerResources)

#include "tst_viewerresources.moc"
