// The program's compiled-in resource collection: what it holds and how it is stored.
#include <QDir>
#include <QImage>
#include <QResource>
#include <QTest>

class TestAddrixResources : public QObject
{
    Q_OBJECT

private slots:
    void windowDocumentIsCompressed()
    {
        const QResource document(QStringLiteral(":/Addrix.qml"));
        QVERIFY(document.isValid());
        QCOMPARE(document.compressionAlgorithm(), QResource::ZlibCompression);
        QVERIFY(document.uncompressedData().contains("ApplicationWindow"));
    }

    // The window test loads the document from the sources, where its components lie beside
    // it; the program finds them only if they are compiled in beside it as well.
    void everyWindowComponentCompiledIn()
    {
        const QStringList documents =
            QDir(QStringLiteral(ADDRIX_QML_DIR)).entryList({ QStringLiteral("*.qml") }, QDir::Files);
        QVERIFY(documents.contains(QStringLiteral("Addrix.qml")));
        for (const QString& name : documents)
            QVERIFY2(QResource(QStringLiteral(":/") + name).isValid(), qPrintable(name));
    }

    void configurationIsPlain()
    {
        const QResource configuration(QStringLiteral(":/qtquickcontrols2.conf"));
        QVERIFY(configuration.isValid());
        QCOMPARE(configuration.compressionAlgorithm(), QResource::NoCompression);
        const QByteArray text = configuration.uncompressedData();
        for (const char* group : { "[Controls]", "[Universal]", "[Material]" })
            QVERIFY2(text.contains(group), group);
        QVERIFY(text.contains("Style=Default"));
    }

    void iconsInEightSizes_data()
    {
        QTest::addColumn<int>("size");
        for (int size : { 16, 24, 32, 48, 64, 128, 256, 512 })
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void iconsInEightSizes()
    {
        QFETCH(int, size);
        const QString path = QStringLiteral(":/icon/QELT_%1x%1.png").arg(size);
        QCOMPARE(QResource(path).compressionAlgorithm(), QResource::NoCompression);
        const QImage icon(path);
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(icon.hasAlphaChannel());
    }
};

QTEST_GUILESS_MAIN(TestAddrixResources)
#include "tst_addrixresources.moc"
