#include "documentmodel.h"
#include "fileplayer.h"
#include "halvomodel.h"
#include "palettecatalog.h"
#include "samplefiles.h"

#include <QDir>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

using zelkir::DocumentModel;
using zelkir::HalvoModel;

class TestHalvoModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void createDocument_data();
    void createDocument();
    void deleteDocumentFreesIt();
    void deleteIgnoresStrangers();
    void palettesAndConfigDir();
};

void TestHalvoModel::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestHalvoModel::createDocument_data()
{
    QTest::addColumn<QVariant>("file");
    QTest::addColumn<bool>("created");

    const QString path = SampleFiles::moviePath();
    QTest::newRow("url text") << QVariant(QUrl::fromLocalFile(path).toString()) << true;
    QTest::newRow("url") << QVariant(QUrl::fromLocalFile(path)) << true;
    QTest::newRow("path") << QVariant(path) << true;
    QTest::newRow("remote url") << QVariant(QStringLiteral("http://127.0.0.1/movie.fits")) << false;
    QTest::newRow("remote url text") << QVariant(QStringLiteral("file://host.invalid/x.fits")) << false;
    QTest::newRow("empty") << QVariant(QString()) << false;
    QTest::newRow("number") << QVariant(42) << false;
    QTest::newRow("undefined") << QVariant() << false;
}

void TestHalvoModel::createDocument()
{
    QFETCH(QVariant, file);
    QFETCH(bool, created);
    HalvoModel model;
    QSignalSpy count(&model, &HalvoModel::documentCountChanged);
    DocumentModel* document = model.createDocument(file);
    QCOMPARE(document != nullptr, created);
    QCOMPARE(model.documentCount(), created ? 1 : 0);
    QCOMPARE(count.count(), created ? 1 : 0);
    if (document) {
        QCOMPARE(document->palettes(), model.palettes());
        QCOMPARE(document->regionStorePath(), SampleFiles::moviePath() + QStringLiteral(".regions.json"));
        QSignalSpy opened(document, &DocumentModel::opened);
        QVERIFY(opened.wait());
        QCOMPARE(document->imageSize(), QSize(SampleFiles::movieWidth, SampleFiles::movieHeight));
    }
}

void TestHalvoModel::deleteDocumentFreesIt()
{
    HalvoModel model;
    QPointer<DocumentModel> document = model.createDocument(SampleFiles::moviePath());
    QVERIFY(document);
    QPointer<QObject> player = document->filePlayer();
    QSignalSpy opened(document.data(), &DocumentModel::opened);
    QVERIFY(opened.wait());
    document->filePlayer()->setPlaySpeed(1);

    model.deleteDocument(document);
    QCOMPARE(model.documentCount(), 0);
    // Still readable until the event loop runs, then gone with its player.
    QVERIFY(document);
    QVERIFY(document->filePlayer()->isClosed());
    QCOMPARE(document->status(), DocumentModel::Closed);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!document);
    QVERIFY(!player);
}

void TestHalvoModel::deleteIgnoresStrangers()
{
    HalvoModel model;
    HalvoModel other;
    DocumentModel* document = other.createDocument(SampleFiles::moviePath());
    model.deleteDocument(document);
    model.deleteDocument(&other);
    model.deleteDocument(nullptr);
    QCOMPARE(other.documentCount(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(document->status() != DocumentModel::Closed);
}

void TestHalvoModel::palettesAndConfigDir()
{
    HalvoModel model;
    const QStringList names = model.palettes()->property("paletteNames").toStringList();
    QVERIFY(names.contains(zelkir::PaletteCatalog::grayscaleName()));
    const QString dir = model.configDir();
    QVERIFY(!dir.isEmpty());
    QVERIFY(QDir(dir).exists());
    QCOMPARE(model.configDir(), dir);
}

QTEST_GUILESS_MAIN(TestHalvoModel)
#include "tst_halvomodel.moc"
