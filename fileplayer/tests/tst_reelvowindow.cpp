// Reelvo's window document on the real imaging library: opening a generated movie shows
// its image, a file that is no image reports the failure, closing hides the view.
#include <zelkir/zelkir.h>

#include <QFile>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQmlExpression>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestReelvoWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QObject* m_window = nullptr;

    QVariant evaluate(const QString& expression)
    {
        QQmlExpression e(qmlContext(m_window), m_window, expression);
        const QVariant result = e.evaluate();
        if (e.hasError())
            qWarning() << e.error().toString();
        return result;
    }

    QObject* child(const char* name) const { return m_window->findChild<QObject*>(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        QQuickStyle::setFallbackStyle(QStringLiteral("Basic"));
        QQuickStyle::setStyle(QStringLiteral("qeltstyle"));
    }

    void init()
    {
        // The engine as start-up prepares it, without entering an event loop of its own.
        m_engine = std::make_unique<QQmlApplicationEngine>();
        m_engine->addImportPath(QStringLiteral(":/"));
        m_engine->addImportPath(QStringLiteral("qrc:/common"));
        m_engine->addImportPath(QStringLiteral("qrc:/controls/"));
        zelkirInitPlugin(m_engine.get());
        m_engine->load(QUrl(QStringLiteral("qrc:/Reelvo.qml")));
        QCOMPARE(m_engine->rootObjects().size(), 1);
        m_window = m_engine->rootObjects().first();
        QVERIFY(QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(m_window)));
    }

    void cleanup()
    {
        if (m_window)
            evaluate(QStringLiteral("closeFile()"));
        m_engine.reset();
        m_window = nullptr;
    }

    void startsEmpty()
    {
        QCOMPARE(m_window->property("title").toString(), QStringLiteral("Reelvo"));
        QVERIFY(evaluate(QStringLiteral("document === null")).toBool());
        QObject* view = child("view");
        QVERIFY(view);
        QVERIFY(!view->property("visible").toBool());
        QObject* open = child("openButton");
        QVERIFY(open);
        QCOMPARE(open->property("text").toString(), QString(QChar(0xf07b)));
        QCOMPARE(open->property("font").value<QFont>().family(), QStringLiteral("FontAwesome"));
    }

    void opensMovie()
    {
        evaluate(QStringLiteral("openFile('%1')").arg(QStringLiteral(SAMPLE_MOVIE)));
        QObject* view = child("view");
        QVERIFY(view->property("visible").toBool());
        QTRY_COMPARE(view->property("image").value<QImage>().size(), QSize(SAMPLE_WIDTH, SAMPLE_HEIGHT));
        QVERIFY(view->property("actualZoom").toDouble() > 1.0);
        QVERIFY(!child("openErrorDlg")->property("visible").toBool());

        evaluate(QStringLiteral("closeFile()"));
        QVERIFY(!view->property("visible").toBool());
        QVERIFY(evaluate(QStringLiteral("document === null")).toBool());
        // Without a document the view's image returns to none.
        QVERIFY(view->property("image").value<QImage>().isNull());
    }

    void reportsUnreadableFile()
    {
        QTemporaryDir dir;
        QFile junk(dir.filePath(QStringLiteral("junk.fits")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("SIMPLE  =  not really a FITS header");
        junk.close();
        evaluate(QStringLiteral("openFile('%1')").arg(junk.fileName()));
        QTRY_VERIFY(child("openErrorDlg")->property("visible").toBool());
    }
};

QTEST_MAIN(TestReelvoWindow)

#include "tst_reelvowindow.moc"
