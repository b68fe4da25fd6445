#include <viewerstartup/viewerstartup.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QTest>

namespace {

// What the probe saw while the routine ran, and what the application looked like when
// it was born.
struct Observed
{
    bool recorded = false;
    QString organizationAtBirth;
    QString applicationAtBirth;
    QStringList importPaths;
    QStringList pluginPaths;
    QString applicationDir;
    QString style;
    QList<QSize> iconSizes;
    bool iconServes20 = false;
};
Observed observed;

void recordBirth()
{
    observed.organizationAtBirth = QCoreApplication::organizationName();
    observed.applicationAtBirth = QCoreApplication::applicationName();
}
Q_COREAPP_STARTUP_FUNCTION(recordBirth)

class StartupProbe : public QObject
{
    Q_OBJECT

public:
    explicit StartupProbe(QQmlEngine* engine)
        : m_engine(engine)
    {
    }

    Q_INVOKABLE void record()
    {
        observed.recorded = true;
        observed.importPaths = m_engine->importPathList();
        observed.pluginPaths = m_engine->pluginPathList();
        observed.applicationDir = QCoreApplication::applicationDirPath();
        observed.style = QQuickStyle::name();
        const QIcon icon = QGuiApplication::windowIcon();
        observed.iconSizes = icon.availableSizes();
        observed.iconServes20 = !icon.pixmap(QSize(20, 20)).isNull();
    }

private:
    QQmlEngine* m_engine;
};

} // namespace

class TestViewerStartup : public QObject
{
    Q_OBJECT

private:
    int run(const ViewerIdentity& identity)
    {
        QByteArray program = QByteArrayLiteral("tst_viewerstartup");
        char* argv[] = { program.data(), nullptr };
        int argc = 1;
        return runViewer(argc, argv, identity);
    }

    static QString document(const char* name)
    {
        return QUrl::fromLocalFile(QStringLiteral(DOCUMENT_DIR "/") + QLatin1String(name)).toString();
    }

private slots:
    void initTestCase()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qmlRegisterSingletonType<StartupProbe>("ViewerStartupTest", 1, 0, "StartupProbe",
            [](QQmlEngine* engine, QJSEngine*) -> QObject* { return new StartupProbe(engine); });
    }

    void init()
    {
        observed = Observed();
        QCoreApplication::setOrganizationName(QStringLiteral("someone else"));
        QCoreApplication::setApplicationName(QStringLiteral("something else"));
    }

    void noRootObject_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("missing resource") << QStringLiteral("qrc:/NoSuchWindow.qml");
        QTest::newRow("missing file") << document("nosuchwindow.qml");
        QTest::newRow("broken document") << document("broken.qml");
        QTest::newRow("not a URL") << QStringLiteral("::");
    }

    void noRootObject()
    {
        QFETCH(QString, url);
        QCOMPARE(run({ QStringLiteral("Reelvo"), QStringLiteral("qrc:/controls/"), url }), -1);
    }

    void returnsEventLoopResult()
    {
        QCOMPARE(run({ QStringLiteral("Livano"), QString(), document("probe.qml") }), 7);
        QVERIFY(observed.recorded);
    }

    void identity_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("file player") << QStringLiteral("Reelvo");
        QTest::newRow("camera player") << QStringLiteral("Livano");
    }

    void identity()
    {
        QFETCH(QString, name);
        run({ name, QString(), document("probe.qml") });
        QCOMPARE(observed.organizationAtBirth, QStringLiteral("QELT Systems"));
        QCOMPARE(observed.applicationAtBirth, name);
        QCOMPARE(QCoreApplication::organizationDomain(), QStringLiteral("qelt.systems"));
        QCOMPARE(observed.style, QStringLiteral("qeltstyle"));
    }

    void importPaths_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Reelvo") << QStringLiteral("qrc:/controls/")
                                << QStringList { QStringLiteral("qrc:/controls/"),
                                       QStringLiteral("qrc:/common"), QStringLiteral("qrc:/") };
        QTest::newRow("Livano") << QString()
                                << QStringList { QStringLiteral("qrc:/common"), QStringLiteral("qrc:/") };
    }

    void importPaths()
    {
        QFETCH(QString, extra);
        QFETCH(QStringList, expected);
        run({ QStringLiteral("Viewer"), extra, document("probe.qml") });
        QVERIFY(observed.recorded);
        QCOMPARE(observed.importPaths.mid(0, expected.size()), expected);
        if (extra.isEmpty())
            QVERIFY(!observed.importPaths.contains(QStringLiteral("qrc:/controls/")));
        QVERIFY(!observed.applicationDir.isEmpty());
        QVERIFY(observed.pluginPaths.contains(observed.applicationDir));
    }

    void iconOffersEverySize()
    {
        run({ QStringLiteral("Livano"), QString(), document("probe.qml") });
        QList<QSize> expected;
        for (int size : { 16, 24, 32, 48, 64, 128, 256, 512 })
            expected.append(QSize(size, size));
        QCOMPARE(observed.iconSizes, expected);
        QVERIFY(observed.iconServes20);
    }
};

QTEST_APPLESS_MAIN(TestViewerStartup)

#include "tst_viewerstartup.moc"
